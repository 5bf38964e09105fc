// SPDX-License-Identifier: MIT
// Writes the seed corpus: every sample (behind eight action bytes), the samples with planted
// structure faults and contradictions, images with each family's markers at the very end, tiny
// images, and findPattern seeds.
#include "image_builder.h"
#include "planted_faults.h"
#include "sample_images.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

void write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> withActions(std::vector<std::uint8_t> actions,
                                      const std::vector<std::uint8_t>& image) {
    actions.insert(actions.end(), image.begin(), image.end());
    return actions;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::filesystem::path editor = argv[1], pattern = argv[2];
    std::filesystem::create_directories(editor);
    std::filesystem::create_directories(pattern);
    int n = 0;
    auto seed = [&](const std::vector<std::uint8_t>& bytes) {
        write(editor / ("seed-" + std::to_string(n++)), bytes);
    };

    for (const auto& sample : zfx::samples::allSamples()) {
        seed(withActions({0, 0, 0, 0, 0, 0, 0, 0}, sample.bytes));
        seed(withActions({3, 2, 3, 4, 0xFF, 0x0F, 17, 5}, sample.bytes));
    }
    for (const auto& fault : zfx::samples::plantedFaults())
        seed(withActions({2, 1, 1, 1, 0x01, 0x00, 3, 0}, fault.bytes));
    for (const auto& planted : zfx::samples::plantedContradictions())
        seed(withActions({2, 0, 0, 4, 0x3F, 0x00, 9, 1}, planted.bytes));
    for (const std::uint16_t device : zfx::samples::familyDevices())
        for (const auto& marker : zfx::samples::readerMarkers()) {
            zfx::samples::ImageBuilder builder(512);
            builder.header().pciData(0x40, device);
            for (std::size_t i = 0; i < marker.size(); ++i)
                builder.bytes(512 - marker.size() + i, {marker[i]});
            seed(withActions({3, 1, 1, 1, 0xFF, 0x0F, 1, 1}, builder.image()));
        }
    for (const std::size_t size : {0u, 1u, 2u, 7u, 8u, 85u, 86u})
        seed(withActions({0, 0, 0, 0, 0, 0, 0, 0}, std::vector<std::uint8_t>(size, 0)));

    write(pattern / "seed-0", {2, 0x18, 0x02, 0x20, 0x00, 0x18, 0x02, 0x20});
    write(pattern / "seed-1", {2, 0x10, 0x02, 0x02, 0x00, 0x10, 0x02, 0x02, 0x02});
    write(pattern / "seed-2", {5, 0x04, 0x08, 0x00, 0x02, 0x10, 0x00, 0x04, 0x08, 0x00, 0x02, 0x10, 0x00});
    return 0;
}
