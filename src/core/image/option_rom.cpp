// SPDX-License-Identifier: MIT
#include "image/option_rom.h"

#include "text/number_text.h"

#include <algorithm>

namespace zfx {

namespace {

// No real ROM chains more than a handful of images; a longer walk is a loop in damaged bytes.
constexpr int kMaxImages = 16;
constexpr std::int32_t kBlock = 512;

} // namespace

std::optional<OptionRomHeader> readOptionRomHeader(std::span<const std::uint8_t> bytes, std::int64_t at) {
    const auto inside = [&](std::int64_t i) {
        return i >= 0 && static_cast<std::uint64_t>(i) < bytes.size();
    };
    if (!inside(at + 1) || !inside(at) || bytes[static_cast<std::size_t>(at)] != 0x55 ||
        bytes[static_cast<std::size_t>(at + 1)] != 0xAA)
        return std::nullopt;
    OptionRomHeader header;
    header.complete = inside(at + 2);
    if (header.complete) header.size = bytes[static_cast<std::size_t>(at + 2)] * kBlock;
    return header;
}

OptionRomChain readOptionRomChain(const BiosImage& image) {
    OptionRomChain chain;
    std::int64_t start = 0;
    for (int n = 0; n < kMaxImages; ++n) {
        const std::optional<OptionRomHeader> header = readOptionRomHeader(image, start);
        if (!header) {
            chain.broken = n == 0 ? "there is no 55 AA at the start"
                                  : "no image starts at " + hexOffset(start) + ", where the chain goes on";
            return chain;
        }
        OptionRomImage rom;
        rom.start = static_cast<std::int32_t>(start);
        rom.headerSize = header->size;
        rom.pciPointer = image.word(start + 0x18);
        const std::int64_t pcir = start + rom.pciPointer;
        if (image.contains(pcir, pcir + 0x17) && image.at(pcir) == 'P' && image.at(pcir + 1) == 'C' &&
            image.at(pcir + 2) == 'I' && image.at(pcir + 3) == 'R') {
            rom.pciData = static_cast<std::int32_t>(pcir);
            rom.vendor = image.word(pcir + 4);
            rom.device = image.word(pcir + 6);
            rom.pciImageLength = image.word(pcir + 0x10) * kBlock;
            rom.codeType = image.at(pcir + 0x14);
            rom.last = (image.at(pcir + 0x15) & 0x80) != 0;
        }
        chain.images.push_back(rom);
        chain.end = static_cast<std::int32_t>(std::min<std::int64_t>(start + rom.length(), image.size()));
        if (!rom.pciData) {
            chain.broken = "the image at " + hexOffset(start) + " has no PCI data structure";
            return chain;
        }
        if (rom.last) return chain;
        if (rom.length() == 0) {
            chain.broken = "the image at " + hexOffset(start) + " has a length of 0 and is not the last";
            return chain;
        }
        start += rom.length();
    }
    chain.broken = "more than " + std::to_string(kMaxImages) + " images follow each other";
    return chain;
}

std::optional<std::int32_t> shorterX86ImageLength(const OptionRomChain& chain, std::int32_t fileSize) {
    if (chain.images.empty()) return std::nullopt;
    const OptionRomImage& first = chain.images.front();
    constexpr std::int32_t kPciDataLength = 0x18;
    if (first.headerSize <= 0 || first.headerSize >= fileSize || !first.pciData || first.codeType != 0 ||
        *first.pciData + kPciDataLength > first.headerSize)
        return std::nullopt;
    return first.headerSize;
}

} // namespace zfx
