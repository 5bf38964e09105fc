// SPDX-License-Identifier: MIT
#include "analysis/image_check.h"

#include "text/number_text.h"

#include <algorithm>
#include <cstdio>

namespace zfx {

namespace {

constexpr const char* kReadAgain = "read the BIOS again with the card's flash tool";

std::string hex2(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02Xh", value);
    return text;
}

std::string hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

std::string sizeText(std::int64_t bytes) {
    if (bytes > 0 && bytes % 1024 == 0) return std::to_string(bytes / 1024) + " KiB";
    return std::to_string(bytes) + " bytes";
}

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

// The byte that, stored at last instead of what is there, makes first..last sum to 0.
std::uint8_t neededByte(const BiosImage& image, std::int64_t first, std::int64_t last) {
    const unsigned others = static_cast<unsigned>(sumOf(image, first, last)) + 256u - image.at(last);
    return static_cast<std::uint8_t>((256u - others % 256u) % 256u);
}

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

struct Checker {
    const BiosImage& image;
    ImageCheck& check;
    std::string firstFailure; // the short form of the first failure, for the status line

    CheckItem& add(std::string name, CheckVerdict verdict, std::string text,
                   std::vector<CheckedValue> values = {}, std::string summary = {}) {
        if (verdict == CheckVerdict::Failed && firstFailure.empty())
            firstFailure = summary.empty() ? text : summary;
        check.items.push_back({std::move(name), verdict, std::move(text), std::move(values)});
        return check.items.back();
    }
};

} // namespace

std::string verdictName(CheckVerdict verdict) {
    switch (verdict) {
    case CheckVerdict::Passed:
        return "passed";
    case CheckVerdict::Note:
        return "note";
    case CheckVerdict::Failed:
        return "failed";
    }
    return {};
}

bool ImageCheck::passed() const {
    for (const CheckItem& item : items)
        if (item.verdict == CheckVerdict::Failed) return false;
    return true;
}

ImageCheck checkImage(const BiosImage& image, const CardIdentity& identity) {
    ImageCheck check;
    check.chain = readOptionRomChain(image);
    Checker c{image, check, {}};
    const std::int32_t fileSize = image.size();

    if (check.chain.images.empty()) {
        c.add("signature", CheckVerdict::Failed,
              "The file does not start with 55 AA, so it is not a PCI option ROM: not a video BIOS image, or "
              "not from its start.",
              {{"found", image.hexOfRange(0, std::min(fileSize, 2) - 1), 0}},
              "not a PCI option ROM (no 55 AA at the start)");
        check.summary = c.firstFailure;
        return check;
    }
    c.add("signature", CheckVerdict::Passed, "The file starts with 55 AA, as a PCI option ROM does.",
          {{"found", "55 AA", 0}});

    const OptionRomImage& first = check.chain.images.front();
    const std::vector<CheckedValue> sizes{{"image size", sizeText(first.headerSize), 2},
                                          {"file size", std::to_string(fileSize) + " bytes", std::nullopt}};
    if (fileSize < first.headerSize) {
        c.add("size", CheckVerdict::Failed,
              "The file is " + std::to_string(fileSize) + " bytes, but the image says it is " +
                  std::to_string(first.headerSize) + ": a truncated dump.",
              sizes,
              "truncated dump (" + std::to_string(fileSize) + " of " + std::to_string(first.headerSize) +
                  " bytes): " + kReadAgain);
    } else if (fileSize == first.headerSize) {
        c.add("size", CheckVerdict::Passed,
              "The image is " + sizeText(first.headerSize) + ", as long as the file.", sizes);
    } else if (check.chain.end >= fileSize) {
        c.add("size", CheckVerdict::Note,
              "The file is longer than its first image (" + sizeText(first.headerSize) +
                  "): further images follow it.",
              sizes);
    } else {
        const std::int32_t rest = fileSize - check.chain.end;
        const std::uint8_t fill = image.at(check.chain.end);
        bool uniform = true;
        for (std::int32_t i = check.chain.end; i < fileSize && uniform; ++i)
            uniform = image.at(i) == fill;
        c.add("size", CheckVerdict::Note,
              uniform ? sizeText(rest) + " of padding (" + hex2(fill) +
                            ") follow the images, as in a dump of the "
                            "whole flash chip."
                      : sizeText(rest) + " after the last image belong to no image (padding or other data).",
              sizes);
    }

    if (!first.pciData) {
        c.add("pci data", CheckVerdict::Failed,
              "The pointer at 18h (" + hexOffset(first.pciPointer) + ") leads to no PCI data structure.",
              {{"pointer", hexOffset(first.pciPointer), 0x18}},
              "no PCI data structure where the pointer at 18h leads");
    } else {
        const bool aligned = *first.pciData % 4 == 0;
        c.add("pci data", aligned ? CheckVerdict::Passed : CheckVerdict::Note,
              "The pointer at 18h leads to the PCI data structure at " + hexOffset(*first.pciData) +
                  (aligned
                       ? "."
                       : ", which is not 4-byte aligned (some tools refuse that; the card does not care)."),
              {{"pointer", hexOffset(first.pciPointer), 0x18}});

        const std::int32_t pcir = *first.pciData;
        if (first.vendor == kNvidiaVendor)
            c.add("vendor", CheckVerdict::Passed, "The vendor is NVIDIA (10DE).",
                  {{"vendor", "10DE", pcir + 4}});
        else
            c.add("vendor", CheckVerdict::Failed,
                  "The PCI data structure names vendor " + hex4(first.vendor) + ", not NVIDIA (10DE).",
                  {{"vendor", hex4(first.vendor), pcir + 4}},
                  "not an NVIDIA image (vendor " + hex4(first.vendor) + ")");

        if (identity.pciDataOffset == 0) {
            c.add("device", CheckVerdict::Failed,
                  "The PCI data structure names device " + hex4(first.device) +
                      ", but the identification found no NVIDIA PCI data structure.",
                  {{"device", hex4(first.device), pcir + 6}}, "the card could not be identified");
        } else {
            const std::uint16_t identified = image.word(identity.pciDataOffset + 6);
            std::vector<CheckedValue> values{{"device", hex4(first.device), pcir + 6},
                                             {"identified", hex4(identified), identity.pciDataOffset + 6}};
            if (identified == first.device)
                c.add("device", CheckVerdict::Passed,
                      "The device is " + hex4(first.device) + " (" + identity.deviceName +
                          "), the one identified.",
                      values);
            else
                c.add("device", CheckVerdict::Failed,
                      "The PCI data structure at " + hexOffset(pcir) + " names device " + hex4(first.device) +
                          ", but the identification read " + hex4(identified) + " at " +
                          hexOffset(identity.pciDataOffset + 6) + ".",
                      values, "two device IDs (" + hex4(first.device) + " and " + hex4(identified) + ")");
        }

        const std::vector<CheckedValue> lengths{{"image length", sizeText(first.pciImageLength), pcir + 0x10},
                                                {"image size", sizeText(first.headerSize), 2}};
        if (first.pciImageLength == first.headerSize)
            c.add("image length", CheckVerdict::Passed,
                  "The PCI data structure gives the same image length as the header.", lengths);
        else
            c.add("image length", CheckVerdict::Failed,
                  "The PCI data structure gives the image length as " + sizeText(first.pciImageLength) +
                      ", the header as " + sizeText(first.headerSize) + ".",
                  lengths,
                  "two image lengths (" + sizeText(first.pciImageLength) + " and " +
                      sizeText(first.headerSize) + ")");

        if (check.chain.images.size() == 1 && check.chain.broken.empty()) {
            c.add("last image", CheckVerdict::Passed, "It is the only image: its last-image bit is set.",
                  {{"last-image bit", "set", pcir + 0x15}});
        } else {
            std::string list;
            for (const OptionRomImage& rom : check.chain.images)
                list += (list.empty() ? "" : "; ") + hexOffset(rom.start) + " " + codeTypeName(rom.codeType) +
                        " " + sizeText(rom.length());
            if (check.chain.broken.empty())
                c.add("last image", CheckVerdict::Note,
                      std::to_string(check.chain.images.size()) + " images follow each other: " + list + ".",
                      {{"images", std::to_string(check.chain.images.size()), std::nullopt}});
            else
                c.add("last image", CheckVerdict::Failed,
                      "The chain of images is broken: " + check.chain.broken + " (images: " + list + ").", {},
                      "the chain of images is broken");
        }
    }

    for (const OptionRomImage& rom : check.chain.images) {
        if (rom.pciData && rom.codeType != 0) continue; // only x86 images carry the 8-bit sum
        // The system BIOS sums what the header's size byte covers.
        const std::int64_t last = static_cast<std::int64_t>(rom.start) + rom.headerSize - 1;
        const std::string where = "the image at " + hexOffset(rom.start);
        if (rom.headerSize == 0 || !image.contains(rom.start, last)) {
            c.add("checksum", CheckVerdict::Failed,
                  "The checksum of " + where + " cannot be checked: the file ends before the image does.", {},
                  "truncated dump: " + std::string(kReadAgain));
            continue;
        }
        const std::uint8_t stored = image.at(last);
        const std::uint8_t needed = neededByte(image, rom.start, last);
        const auto at = static_cast<std::int32_t>(last);
        if (stored == needed)
            c.add("checksum", CheckVerdict::Passed,
                  "The checksum of " + where + " is correct: its bytes sum to 0.",
                  {{"stored", hex2(stored), at}});
        else
            c.add("checksum", CheckVerdict::Failed,
                  "The checksum of " + where + " is off: the byte at " + hexOffset(last) + " holds " +
                      hex2(stored) + ", " + hex2(needed) +
                      " is needed. An image taken from shadow RAM or damaged; " + kReadAgain + ".",
                  {{"stored", hex2(stored), at}, {"needed", hex2(needed), at}},
                  "checksum off (stored " + hex2(stored) + ", needs " + hex2(needed) +
                      "): taken from shadow RAM or damaged: " + kReadAgain);
    }

    // The save's own rule: the whole file sums to 0 through its last byte. Where that byte is the
    // image's checksum byte, the check above says all; elsewhere it is worth knowing.
    if (fileSize > 0) {
        const std::int32_t last = fileSize - 1;
        const std::uint8_t stored = image.at(last);
        const std::uint8_t needed = neededByte(image, 0, last);
        const std::vector<CheckedValue> values{{"stored", hex2(stored), last},
                                               {"needed", hex2(needed), last}};
        const std::string holds = "its last byte at " + hexOffset(last) + " holds " + hex2(stored) + ", " +
                                  hex2(needed) + " is needed";
        if (stored == needed)
            c.add("file checksum", CheckVerdict::Passed,
                  "The whole file sums to 0, the rule the save applies to its last byte.",
                  {{"stored", hex2(stored), last}});
        else if (last == first.headerSize - 1)
            c.add("file checksum", CheckVerdict::Note,
                  "The whole file is the image: its checksum byte is the one a save sets.", values);
        else if (last >= first.headerSize)
            c.add(
                "file checksum", CheckVerdict::Note,
                "The whole file does not sum to 0 (" + holds +
                    "). That byte lies past the first image; a save sets it there and leaves the image's own "
                    "checksum byte as it is, so check the image's checksum after an edit.",
                values);
        else
            c.add("file checksum", CheckVerdict::Note, "The whole file does not sum to 0 (" + holds + ").",
                  values);
    }
    check.summary = c.firstFailure;
    return check;
}

std::string ImageCheck::line() const {
    if (!summary.empty()) {
        int failures = 0;
        for (const CheckItem& item : items)
            failures += item.verdict == CheckVerdict::Failed;
        return "Warning: " + summary +
               (failures > 1 ? " (and " + std::to_string(failures - 1) + " more)" : "");
    }
    if (chain.images.empty()) return "No image checked";
    std::string line = "Image check passed: ";
    const OptionRomImage& first = chain.images.front();
    line += sizeText(first.length()) + " option ROM";
    if (chain.images.size() == 2) line += " and a further image";
    if (chain.images.size() > 2)
        line += " and " + std::to_string(chain.images.size() - 1) + " further images";
    for (const CheckItem& item : items)
        if (item.name == "size" && item.verdict == CheckVerdict::Note && chain.images.size() == 1)
            line += ", padded";
    return line + ", checksum correct";
}

std::string ImageCheck::details() const {
    std::string text;
    for (const CheckItem& item : items)
        text += (text.empty() ? "" : "\n") + item.text;
    return text;
}

} // namespace zfx
