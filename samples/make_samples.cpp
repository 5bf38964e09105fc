// SPDX-License-Identifier: MIT
// Writes the synthetic sample images into the folder given on the command line; with --faults,
// also the samples with a fault planted in their option-ROM structure or a contradiction between
// their BIOS structure and the tables the editor finds.
#include "planted_faults.h"
#include "sample_images.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    const bool faults = argc == 3 && std::string(argv[2]) == "--faults";
    if (argc != 2 && !faults) {
        std::cerr << "usage: zorvane-fx-make-samples FOLDER [--faults]\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    std::vector<zfx::samples::Sample> samples = zfx::samples::allSamples();
    if (faults) {
        for (auto& fault : zfx::samples::plantedFaults())
            samples.push_back({fault.fileName, fault.description, std::move(fault.bytes)});
        for (auto& planted : zfx::samples::plantedContradictions())
            samples.push_back({planted.fileName, planted.description, std::move(planted.bytes)});
    }
    for (const auto& sample : samples) {
        std::ofstream out(folder / sample.fileName, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(sample.bytes.data()),
                  static_cast<std::streamsize>(sample.bytes.size()));
        if (!out) {
            std::cerr << "cannot write " << (folder / sample.fileName).string() << "\n";
            return 1;
        }
    }
    return 0;
}
