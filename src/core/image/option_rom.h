// SPDX-License-Identifier: MIT
#pragma once

#include "image/bios_image.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zfx {

// The header every option ROM image starts with: 55 AA, then its size in 512-byte blocks at +2.
struct OptionRomHeader {
    std::int32_t size = 0; // byte +2 x 512; 0 where the file ends before that byte
    bool complete = false; // the size byte lies inside the file
};
// The header of the image that starts at `at`; absent where no 55 AA stands there.
std::optional<OptionRomHeader> readOptionRomHeader(std::span<const std::uint8_t> bytes, std::int64_t at = 0);
inline std::optional<OptionRomHeader> readOptionRomHeader(const BiosImage& image, std::int64_t at = 0) {
    return readOptionRomHeader(image.bytes(), at);
}

// One image of a PCI option ROM: 55 AA, its size in 512-byte blocks at +2, and at +18h the
// pointer to its PCI data structure ("PCIR", vendor, device, image length, code type, last-image bit).
struct OptionRomImage {
    std::int32_t start = 0;
    std::int32_t headerSize = 0;         // byte +2 x 512
    std::optional<std::int32_t> pciData; // where +18h points, when "PCIR" is there
    std::int32_t pciPointer = 0;         // the pointer itself, from the image start
    std::uint16_t vendor = 0;
    std::uint16_t device = 0;
    std::int32_t pciImageLength = 0; // PCIR +10h x 512
    std::uint8_t codeType = 0;       // 0 x86, 3 EFI
    bool last = false;               // PCIR +15h bit 7
    std::int32_t length() const { return pciData ? pciImageLength : headerSize; }
};

// The images of the file in the order they follow each other. The walk ends at an image whose
// last-image bit is set, at one without a PCI data structure, or where no image starts.
struct OptionRomChain {
    std::vector<OptionRomImage> images;
    std::string broken;   // why the walk ended before a last image, empty when it reached one
    std::int32_t end = 0; // the first byte after the last image
};

OptionRomChain readOptionRomChain(const BiosImage& image);

// The length of the file's first image where it is an x86 option ROM shorter than the file: 55 AA,
// the length byte at 2 times 512 less than the file size, and the pointer at 18h leading to a PCI
// data structure of code type 0 inside that image. The card's system BIOS sums those bytes, not the
// file's. Absent for any other file.
std::optional<std::int32_t> shorterX86ImageLength(const OptionRomChain& chain, std::int32_t fileSize);

inline constexpr std::uint16_t kNvidiaVendor = 0x10DE;

} // namespace zfx
