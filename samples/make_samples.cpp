// SPDX-License-Identifier: MIT
// Writes the synthetic sample images into the folder given on the command line.
#include "sample_images.h"

#include <filesystem>
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: zorvane-fx-make-samples FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (const auto& sample : zfx::samples::allSamples()) {
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
