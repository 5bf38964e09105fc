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

// A sample whose BIOS structure contradicts what the editor finds by its byte patterns.
struct PlantedContradiction {
    std::string fileName; // "contradiction-decoy-clock-table.rom"
    std::string description;
    std::string subject; // the verdict that names it: "voltage table", "3D core clock", ...
    std::string table;   // what the status line names: "voltage table", "clock table", "timing bytes"
    std::vector<std::int32_t> found;     // where the editor finds it
    std::vector<std::int32_t> structure; // where the structure has it (its first place)
    std::vector<std::uint8_t> bytes;
};

// Each contradiction planted into the FX 5700 sample, one at a time.
std::vector<PlantedContradiction> plantedContradictions();

} // namespace zfx::samples
