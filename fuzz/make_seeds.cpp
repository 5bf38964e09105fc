// SPDX-License-Identifier: MIT
// Writes the seed corpus: every sample (behind eight action bytes), the samples with planted
// structure faults and contradictions, images with each family's markers at the very end, tiny
// images, findPattern seeds, and the CLI output seeds: each sample under a plain and a hostile
// name for every command, as text and as JSON, and set and apply given a hostile or a plain text.
#include "image_builder.h"
#include "planted_faults.h"
#include "sample_images.h"

#include <filesystem>
#include <fstream>
#include <functional>
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

// An input of fuzz_cli_output: the command byte, the name, and the image with patches that give
// the second image of diff a changed byte.
std::vector<std::uint8_t> cliInput(std::uint8_t command, const std::string& name,
                                   const std::vector<std::uint8_t>& image,
                                   const std::vector<std::uint8_t>& patches) {
    std::vector<std::uint8_t> input;
    input.reserve(3 + name.size() + image.size() + patches.size());
    input.push_back(command);
    input.push_back(static_cast<std::uint8_t>(name.size()));
    input.insert(input.end(), name.begin(), name.end());
    input.push_back(static_cast<std::uint8_t>(patches.size() / 3));
    input.insert(input.end(), image.begin(), image.end());
    input.insert(input.end(), patches.begin(), patches.end());
    return input;
}

// The inputs of fuzz_cli_output for set and apply. Bit 6 picks them, given the name as their text
// too: the low two bits a typed value, an option's name, a settings file or the folder of a kept
// original; bits 3 and 4 the option or the place in the settings file, bit 2 JSON, bit 5 --force.
void writeEditSeeds(const std::function<void(const std::vector<std::uint8_t>&)>& cliSeed) {
    const std::string forging = "\x1B]0;x\x07\r\na.rom: File saved, all checks passed\xE2\x80\xAE";
    // A line break is the one control that the check of the text lets pass.
    const std::string lineOnly = "\na.rom: File saved, all checks passed";
    const std::vector<std::string> plainTexts{"300", "#1", "core3d", "10DE:0330"};
    for (const auto& sample : zfx::samples::allSamples()) {
        if (sample.fileName != "fx5950-ultra.rom" && sample.fileName != "gf6800.rom") continue;
        for (unsigned edit = 0; edit < 4; ++edit)
            for (unsigned pick = 0; pick < 4; ++pick) {
                const auto command = static_cast<std::uint8_t>(0x40u | edit | pick << 3u);
                cliSeed(cliInput(command, forging, sample.bytes, {}));
                cliSeed(cliInput(command | 0x24u, forging, sample.bytes, {}));
                cliSeed(cliInput(command, plainTexts[pick], sample.bytes, {}));
                cliSeed(cliInput(command, plainTexts[pick] + lineOnly, sample.bytes, {}));
            }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const std::filesystem::path editor = argv[1], pattern = argv[2], cli = argv[3];
    std::filesystem::create_directories(editor);
    std::filesystem::create_directories(pattern);
    std::filesystem::create_directories(cli);
    int n = 0;
    auto seed = [&](const std::vector<std::uint8_t>& bytes) {
        write(editor / ("seed-" + std::to_string(n++)), bytes);
    };

    const std::vector<zfx::samples::Sample> samples = zfx::samples::allSamples();
    const auto sampleSeeds = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            seed(withActions({0, 0, 0, 0, 0, 0, 0, 0}, samples[i].bytes));
            seed(withActions({3, 2, 3, 4, 0xFF, 0x0F, 17, 5}, samples[i].bytes));
        }
    };
    sampleSeeds(0, zfx::samples::kFirstSamples);
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
    sampleSeeds(zfx::samples::kFirstSamples, samples.size());

    write(pattern / "seed-0", {2, 0x18, 0x02, 0x20, 0x00, 0x18, 0x02, 0x20});
    write(pattern / "seed-1", {2, 0x10, 0x02, 0x02, 0x00, 0x10, 0x02, 0x02, 0x02});
    // The command byte's low two bits pick info, verify, structure or diff, bit 2 asks for JSON,
    // bits 3 and 4 tick the boxes for info, bit 5 gives info and verify both files, bit 7 leaves
    // the files unwritten.
    int c = 0;
    auto cliSeed = [&](const std::vector<std::uint8_t>& bytes) {
        write(cli / ("seed-" + std::to_string(c++)), bytes);
    };
    const std::string hostile = "\x1B]0;x\x07\r\xC2\x9B\xE9\x7F\n.rom";
    const std::vector<std::uint8_t> clockPatch{0x75, 0x20, 0x19, 0x00, 0x01, 0x01};
    for (const auto& sample : zfx::samples::allSamples())
        for (std::uint8_t command = 0; command < 8; ++command)
            cliSeed(cliInput(static_cast<std::uint8_t>(command | 0x20u),
                             command % 2 ? hostile : sample.fileName, sample.bytes,
                             command % 4 == 3 ? clockPatch : std::vector<std::uint8_t>{}));
    for (const auto& fault : zfx::samples::plantedFaults())
        cliSeed(cliInput(0x05, fault.fileName, fault.bytes, {}));
    for (const auto& planted : zfx::samples::plantedContradictions())
        cliSeed(cliInput(0x02, planted.fileName, planted.bytes, {}));
    for (const unsigned command : {0x80u, 0x85u, 0x86u, 0x83u})
        cliSeed(cliInput(static_cast<std::uint8_t>(command), hostile, {}, {}));
    cliSeed(cliInput(0x04, "", {0x55, 0xAA}, {}));
    writeEditSeeds(cliSeed);

    write(pattern / "seed-2", {5, 0x04, 0x08, 0x00, 0x02, 0x10, 0x00, 0x04, 0x08, 0x00, 0x02, 0x10, 0x00});
    return 0;
}
