// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zfx::samples {

// One synthetic 64 KiB image per card family, laid out as docs/samples.md describes.
struct Sample {
    std::string fileName; // e.g. "fx5900-ultra.rom"
    std::string title;    // e.g. "GeForce FX 5950 Ultra"
    std::vector<std::uint8_t> bytes;
};

// In the order they were added. The fuzz corpus names its seeds by number, and the recorded CLI
// outputs name the seeds: the seeds of the samples after the first kFirstSamples come after every
// other seed, so that adding a sample leaves the other seeds' numbers as they were.
std::vector<Sample> allSamples();
inline constexpr std::size_t kFirstSamples = 15;

// One device ID of every card family, and every marker the readers search for (voltage tables,
// clock tables, the timing pattern): the ingredients of images with markers in odd places.
const std::vector<std::uint16_t>& familyDevices();
const std::vector<std::vector<std::uint8_t>>& readerMarkers();

// Where the generator puts things in every sample.
inline constexpr std::size_t kPciDataAt = 0x0180;
inline constexpr std::size_t kVersionAt = 0x0200;
inline constexpr std::size_t kVoltageTableAt = 0x1000;
inline constexpr std::size_t kTimingPatternAt = 0x1800;
inline constexpr std::size_t kClockMarkerAt = 0x2000;

} // namespace zfx::samples
