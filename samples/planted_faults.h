// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zfx::samples {

// A sample with one fault planted in its option-ROM structure, and the check that must name it.
struct PlantedFault {
    std::string fileName;    // "fault-checksum.rom"
    std::string description; // what was done to the sample
    std::string check;       // the name of the check that names it
    std::string verdict;     // "failed", or "note" for what is no fault but worth saying
    std::vector<std::uint8_t> bytes;
};

// Each fault planted into the FX 5700 sample, one at a time.
std::vector<PlantedFault> plantedFaults();

} // namespace zfx::samples
