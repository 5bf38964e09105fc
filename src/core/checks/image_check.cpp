// SPDX-License-Identifier: MIT
#include "checks/image_check.h"

#include "text/number_text.h"

#include <algorithm>
#include <array>

namespace zfx {

namespace {

constexpr const char* kReadAgain = "read the BIOS again with the card's flash tool";

// The 8-bit sum of bytes first..last (inclusive), of those inside the image.
std::uint8_t sumOf(const BiosImage& image, std::int64_t first, std::int64_t last) {
    first = std::max<std::int64_t>(first, 0);
    last = std::min<std::int64_t>(last, image.size() - 1);
    if (last < first) return 0;
    // Only the sum modulo 256 counts, so bytes add up as bytes: a loop the compiler vectorises.
    const std::uint8_t* bytes = image.bytes().data();
    std::uint8_t sum = 0;
    for (std::int64_t i = first; i <= last; ++i)
        sum = static_cast<std::uint8_t>(sum + bytes[i]);
    return sum;
}

// The sums the checks ask for: in a file that is one image, the image's checksum and the whole
// file's sum cover the same bytes, so the last sum is kept.
class Sums {
  public:
    explicit Sums(const BiosImage& image) : m_image(image) {}
    // The byte that, stored at last instead of what is there, makes first..last sum to 0.
    std::uint8_t neededByte(std::int64_t first, std::int64_t last) {
        if (first != m_first || last != m_last) {
            m_sum = sumOf(m_image, first, last);
            m_first = first;
            m_last = last;
        }
        const unsigned others = static_cast<unsigned>(m_sum) + 256u - m_image.at(last);
        return static_cast<std::uint8_t>((256u - others % 256u) % 256u);
    }

  private:
    const BiosImage& m_image;
    std::int64_t m_first = -1;
    std::int64_t m_last = -1;
    std::uint8_t m_sum = 0;
};

const char* codeTypeName(std::uint8_t type) {
    switch (type) {
    case 0:
        return "x86";
    case 1:
        return "Open Firmware";
    case 2:
        return "PA-RISC";
    case 3:
        return "EFI";
    default:
        return "unknown code";
    }
}

Finding finding(Subject subject, Severity severity, std::string text, std::vector<FindingPlace> places = {},
                std::string brief = {}) {
    return {subject, std::nullopt, severity, std::move(text), std::move(brief), std::move(places)};
}

Finding checkSignature(const BiosImage& image, const OptionRomChain& chain) {
    if (!chain.images.empty())
        return finding(Subject::Signature, Severity::Passed,
                       "The file starts with 55 AA, as a PCI option ROM does.", {{"found", "55 AA", 0}});
    return finding(
        Subject::Signature, Severity::Problem,
        "The file does not start with 55 AA, so it is not a PCI option ROM: not a video BIOS image, "
        "or not from its start.",
        {{"found", image.hexOfRange(0, std::min(image.size(), 2) - 1), 0}},
        "not a PCI option ROM (no 55 AA at the start)");
}

// What follows the images, when the file is longer than they are.
std::string textAfterImages(const BiosImage& image, std::int32_t end) {
    const std::int32_t rest = image.size() - end;
    const std::uint8_t fill = image.at(end);
    bool uniform = true;
    for (std::int32_t i = end; i < image.size() && uniform; ++i)
        uniform = image.at(i) == fill;
    if (uniform)
        return sizeText(rest) + " of padding (" + hexByte(fill) +
               ") follow the images, as in a dump of the whole flash chip.";
    return sizeText(rest) + " after the last image belong to no image (padding or other data).";
}

Finding checkSize(const BiosImage& image, const OptionRomChain& chain) {
    const OptionRomImage& first = chain.images.front();
    const std::int32_t fileSize = image.size();
    std::vector<FindingPlace> sizes{{"image size", sizeText(first.headerSize), 2},
                                    {"file size", std::to_string(fileSize) + " bytes", std::nullopt}};
    if (fileSize < first.headerSize)
        return finding(Subject::Size, Severity::Problem,
                       "The file is " + std::to_string(fileSize) + " bytes, but the image says it is " +
                           std::to_string(first.headerSize) + ": a truncated dump.",
                       std::move(sizes),
                       "truncated dump (" + std::to_string(fileSize) + " of " +
                           std::to_string(first.headerSize) + " bytes): " + kReadAgain);
    if (fileSize == first.headerSize)
        return finding(Subject::Size, Severity::Passed,
                       "The image is " + sizeText(first.headerSize) + ", as long as the file.",
                       std::move(sizes));
    if (chain.end >= fileSize)
        return finding(Subject::Size, Severity::Note,
                       "The file is longer than its first image (" + sizeText(first.headerSize) +
                           "): further images follow it.",
                       std::move(sizes));
    return finding(Subject::Size, Severity::Note, textAfterImages(image, chain.end), std::move(sizes));
}

Finding checkPciData(const OptionRomImage& first) {
    const FindingPlace pointer{"pointer", hexOffset(first.pciPointer), 0x18};
    if (!first.pciData)
        return finding(Subject::PciData, Severity::Problem,
                       "The pointer at 18h (" + hexOffset(first.pciPointer) +
                           ") leads to no PCI data structure.",
                       {pointer}, "no PCI data structure where the pointer at 18h leads");
    const bool aligned = *first.pciData % 4 == 0;
    return finding(
        Subject::PciData, aligned ? Severity::Passed : Severity::Note,
        "The pointer at 18h leads to the PCI data structure at " + hexOffset(*first.pciData) +
            (aligned ? "."
                     : ", which is not 4-byte aligned (some tools refuse that; the card does not care)."),
        {pointer});
}

Finding checkVendor(const OptionRomImage& first) {
    const std::int32_t at = *first.pciData + 4;
    if (first.vendor == kNvidiaVendor)
        return finding(Subject::Vendor, Severity::Passed, "The vendor is NVIDIA (10DE).",
                       {{"vendor", "10DE", at}});
    const std::string vendor = hexDigits(first.vendor, 4);
    return finding(Subject::Vendor, Severity::Problem,
                   "The PCI data structure names vendor " + vendor + ", not NVIDIA (10DE).",
                   {{"vendor", vendor, at}}, "not an NVIDIA image (vendor " + vendor + ")");
}

Finding checkDevice(const BiosImage& image, const CardIdentity& identity, const OptionRomImage& first) {
    const std::int32_t pcir = *first.pciData;
    const std::string device = hexDigits(first.device, 4);
    if (identity.pciDataOffset == 0)
        return finding(Subject::Device, Severity::Problem,
                       "The PCI data structure names device " + device +
                           ", but the identification found no NVIDIA PCI data structure.",
                       {{"device", device, pcir + 6}}, "the card could not be identified");
    const std::uint16_t identifiedWord = image.word(identity.pciDataOffset + 6);
    const std::string identified = hexDigits(identifiedWord, 4);
    std::vector<FindingPlace> values{{"device", device, pcir + 6},
                                     {"identified", identified, identity.pciDataOffset + 6}};
    if (identifiedWord == first.device)
        return finding(Subject::Device, Severity::Passed,
                       "The device is " + device + " (" + identity.deviceName + "), the one identified.",
                       std::move(values));
    return finding(Subject::Device, Severity::Problem,
                   "The PCI data structure at " + hexOffset(pcir) + " names device " + device +
                       ", but the identification read " + identified + " at " +
                       hexOffset(identity.pciDataOffset + 6) + ".",
                   std::move(values), "two device IDs (" + device + " and " + identified + ")");
}

Finding checkImageLength(const OptionRomImage& first) {
    const std::string pciLength = sizeText(first.pciImageLength);
    const std::string headerLength = sizeText(first.headerSize);
    std::vector<FindingPlace> lengths{{"image length", pciLength, *first.pciData + 0x10},
                                      {"image size", headerLength, 2}};
    if (first.pciImageLength == first.headerSize)
        return finding(Subject::ImageLength, Severity::Passed,
                       "The PCI data structure gives the same image length as the header.",
                       std::move(lengths));
    return finding(Subject::ImageLength, Severity::Problem,
                   "The PCI data structure gives the image length as " + pciLength + ", the header as " +
                       headerLength + ".",
                   std::move(lengths), "two image lengths (" + pciLength + " and " + headerLength + ")");
}

Finding checkLastImage(const OptionRomChain& chain) {
    if (chain.images.size() == 1 && chain.broken.empty())
        return finding(Subject::LastImage, Severity::Passed,
                       "It is the only image: its last-image bit is set.",
                       {{"last-image bit", "set", *chain.images.front().pciData + 0x15}});
    std::string list;
    for (const OptionRomImage& rom : chain.images)
        list += (list.empty() ? "" : "; ") + hexOffset(rom.start) + " " + codeTypeName(rom.codeType) + " " +
                sizeText(rom.length());
    if (chain.broken.empty())
        return finding(Subject::LastImage, Severity::Note,
                       std::to_string(chain.images.size()) + " images follow each other: " + list + ".",
                       {{"images", std::to_string(chain.images.size()), std::nullopt}});
    return finding(Subject::LastImage, Severity::Problem,
                   "The chain of images is broken: " + chain.broken + " (images: " + list + ").", {},
                   "the chain of images is broken");
}

// The system BIOS sums what the header's size byte covers, for every x86 image.
std::optional<Finding> checkChecksum(const BiosImage& image, const OptionRomImage& rom, Sums& sums) {
    if (rom.pciData && rom.codeType != 0) return std::nullopt; // only x86 images carry the 8-bit sum
    const std::int64_t last = static_cast<std::int64_t>(rom.start) + rom.headerSize - 1;
    const std::string where = "the image at " + hexOffset(rom.start);
    if (rom.headerSize == 0 || !image.contains(rom.start, last))
        return finding(Subject::Checksum, Severity::Problem,
                       "The checksum of " + where +
                           " cannot be checked: the file ends before the image does.",
                       {}, "truncated dump: " + std::string(kReadAgain));
    const std::string stored = hexByte(image.at(last));
    const std::string needed = hexByte(sums.neededByte(rom.start, last));
    const auto at = static_cast<std::int32_t>(last);
    if (stored == needed)
        return finding(Subject::Checksum, Severity::Passed,
                       "The checksum of " + where + " is correct: its bytes sum to 0.",
                       {{"stored", stored, at}});
    return finding(Subject::Checksum, Severity::Problem,
                   "The checksum of " + where + " is off: the byte at " + hexOffset(last) + " holds " +
                       stored + ", " + needed + " is needed. An image taken from shadow RAM or damaged; " +
                       kReadAgain + ".",
                   {{"stored", stored, at}, {"needed", needed, at}},
                   "checksum off (stored " + stored + ", needs " + needed +
                       "): taken from shadow RAM or damaged: " + kReadAgain);
}

// The sum of the whole file. Where the file is one image, the checksum check says all; where an
// x86 image comes first and the file goes on after it, a save sets that image's checksum byte and
// the whole file's sum is worth knowing only; elsewhere the save makes the whole file sum to 0
// through its last byte.
Finding checkFileChecksum(const BiosImage& image, const OptionRomChain& chain, Sums& sums) {
    const OptionRomImage& first = chain.images.front();
    const bool imageChecksummed = shorterX86ImageLength(chain, image.size()).has_value();
    const std::int32_t last = image.size() - 1;
    const std::string stored = hexByte(image.at(last));
    const std::string needed = hexByte(sums.neededByte(0, last));
    std::vector<FindingPlace> values{{"stored", stored, last}, {"needed", needed, last}};
    const std::string holds =
        "its last byte at " + hexOffset(last) + " holds " + stored + ", " + needed + " is needed";
    if (stored == needed)
        return finding(Subject::FileChecksum, Severity::Passed,
                       imageChecksummed
                           ? "The whole file sums to 0."
                           : "The whole file sums to 0, the rule the save applies to its last byte.",
                       {{"stored", stored, last}});
    if (imageChecksummed)
        return finding(Subject::FileChecksum, Severity::Note,
                       "The whole file does not sum to 0 (" + holds +
                           "). That byte lies past the first image, which the card checks on its own: a save "
                           "sets the image's checksum byte at " +
                           hexOffset(first.headerSize - 1) +
                           " and leaves every byte after the image as it is.",
                       std::move(values));
    if (last == first.headerSize - 1)
        return finding(Subject::FileChecksum, Severity::Note,
                       "The whole file is the image: its checksum byte is the one a save sets.",
                       std::move(values));
    if (last >= first.headerSize)
        return finding(
            Subject::FileChecksum, Severity::Note,
            "The whole file does not sum to 0 (" + holds +
                "). That byte lies past the first image; a save sets it there and leaves the image's "
                "own checksum byte as it is, so check the image's checksum after an edit.",
            std::move(values));
    return finding(Subject::FileChecksum, Severity::Note, "The whole file does not sum to 0 (" + holds + ").",
                   std::move(values));
}

} // namespace

std::string verdictName(Severity severity) {
    constexpr std::array<const char*, 3> kWords{"passed", "note", "failed"};
    return kWords.at(static_cast<std::size_t>(severity));
}

ImageCheck checkImage(const BiosImage& image, const CardIdentity& identity, const OptionRomChain& chain) {
    ImageCheck check;
    check.imageCount = chain.images.size();
    std::vector<Finding>& f = check.findings;
    f.push_back(checkSignature(image, chain));
    if (chain.images.empty()) return check;
    const OptionRomImage& first = chain.images.front();
    check.firstLength = first.length();
    f.push_back(checkSize(image, chain));
    f.push_back(checkPciData(first));
    if (first.pciData) {
        f.push_back(checkVendor(first));
        f.push_back(checkDevice(image, identity, first));
        f.push_back(checkImageLength(first));
        f.push_back(checkLastImage(chain));
    }
    Sums sums(image);
    for (const OptionRomImage& rom : chain.images)
        if (auto sum = checkChecksum(image, rom, sums)) f.push_back(std::move(*sum));
    if (image.size() > 0) f.push_back(checkFileChecksum(image, chain, sums));
    return check;
}

std::optional<std::string> dumpDamage(const BiosImage& image) {
    const std::optional<OptionRomHeader> header = readOptionRomHeader(image);
    if (!header || !header->complete) return std::nullopt;
    const std::int32_t length = header->size;
    if (image.size() < length)
        return "The dump was cut short: the file has " + std::to_string(image.size()) +
               " bytes, its image says " + std::to_string(length) + ". Read the BIOS from the card again.";
    if (length == 0) return std::nullopt;
    const std::uint8_t needed = image.checksumOver(length);
    if (needed == image.at(length - 1)) return std::nullopt;
    return "The image's checksum was wrong when the file was opened: the byte at " + hexOffset(length - 1) +
           " holds " + hexByte(image.at(length - 1)) + ", " + hexByte(needed) +
           " is needed. The dump is damaged or was taken from shadow RAM; read the BIOS from the card again.";
}

bool ImageCheck::passed() const {
    return !anyOf(findings, Severity::Problem);
}

std::string ImageCheck::summary() const {
    for (const Finding& f : findings)
        if (f.severity == Severity::Problem) return f.brief.empty() ? f.text : f.brief;
    return {};
}

std::string ImageCheck::line() const {
    const std::string first = summary();
    if (!first.empty()) {
        const auto problems = std::count_if(findings.begin(), findings.end(),
                                            [](const Finding& f) { return f.severity == Severity::Problem; });
        return "Warning: " + first + (problems > 1 ? " (and " + std::to_string(problems - 1) + " more)" : "");
    }
    if (imageCount == 0) return "No image checked";
    std::string line = "Image check passed: " + sizeText(firstLength) + " option ROM";
    if (imageCount == 2) line += " and a further image";
    if (imageCount > 2) line += " and " + std::to_string(imageCount - 1) + " further images";
    for (const Finding& f : findings)
        if (f.subject == Subject::Size && f.severity == Severity::Note && imageCount == 1) line += ", padded";
    return line + ", checksum correct";
}

std::string ImageCheck::details() const {
    std::string text;
    for (const Finding& f : findings)
        text += (text.empty() ? "" : "\n") + f.text;
    return text;
}

} // namespace zfx
