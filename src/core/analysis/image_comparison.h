// SPDX-License-Identifier: MIT
#pragma once

#include "analysis/image_analysis.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zfx {

// Something that tells two images apart before their values: a different device, length or
// family makes every value comparison doubtful, so it is loud.
struct IdentityDifference {
    std::string what; // "device", "length", "family", "BIOS version", "vendor"
    std::string before;
    std::string after;
    bool loud = false;
};

// A value the editor reads that differs: its caption, its values and the copies that differ.
struct FieldChange {
    std::string caption;
    std::string before; // "not found" where the image has no such value
    std::string after;
    std::string unit;                        // " MHz", or empty
    std::vector<std::int32_t> offsets;       // the copies that differ (where the value lives after)
    std::vector<std::int32_t> offsetsBefore; // where it lived before, when that is elsewhere
    std::vector<std::uint8_t> levels;        // the performance level of each offset, where known
    std::int32_t width = 1;                  // the bytes of each copy
};

// A run of differing bytes outside every value the editor reads and the checksum byte.
struct ByteRange {
    std::int32_t offset = 0;
    std::int32_t length = 0;
    std::string before; // the first bytes of each side, in hex; empty past a side's end
    std::string after;
};

// The checksum byte: the last byte of each image, which the save sets so that the whole file sums
// to 0, or the byte a save names (the last byte of a first x86 image that the file goes on after).
struct ChecksumChange {
    std::int32_t offset = 0; // in the image after
    std::optional<std::uint8_t> before;
    std::optional<std::uint8_t> after;
    bool changed() const { return before != after; }
};

struct ImageComparison {
    std::vector<IdentityDifference> identity;
    std::vector<FieldChange> fields;
    std::vector<ByteRange> otherBytes;
    ChecksumChange checksum;
    bool identical = true; // byte for byte
};

// Compares two images as the editor reads them: identity first, then every value the editor reads
// (each image as its own analysis found it), then the bytes that differ elsewhere, then the
// checksum.
// checksumOffset names the checksum byte where a save chose it; without it, it is each image's last.
ImageComparison compareImages(const ImageAnalysis& before, const ImageAnalysis& after,
                              std::optional<std::int32_t> checksumOffset = std::nullopt);

// The values the editor reads that differ between two images, as compareImages lists them: what a
// save's plan says it changes.
std::vector<FieldChange> compareValues(const ImageAnalysis& before, const ImageAnalysis& after);

// "3D core clock: 475 -> 500 MHz at 7A31h", "2D memory clock: 250 -> 275 MHz at 24 places: levels
// 20h, 60h, 80h, 8 copies each".
std::string changeLine(const FieldChange& change);
// "checksum byte: 3Ah -> 7Bh at FFFFh".
std::string checksumLine(const ChecksumChange& checksum);

} // namespace zfx
