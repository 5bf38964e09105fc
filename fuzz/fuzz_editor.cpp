// SPDX-License-Identifier: MIT
// The whole editor on one input: the first bytes choose the user's actions, the rest is the image.
// Opens it, ticks, selects, types, saves into a scratch folder, and checks what the save left.
#include "editor_model.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const fs::path& scratch() {
    static const fs::path folder = [] {
        fs::path p = fs::temp_directory_path() / ("zfx-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(p);
        return p;
    }();
    return folder;
}

std::vector<std::uint8_t> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_editor: %s\n", what);
    std::abort();
}

constexpr std::size_t kActionBytes = 8;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t actions[kActionBytes] = {};
    const std::size_t taken = size < kActionBytes ? size : kActionBytes;
    for (std::size_t i = 0; i < taken; ++i)
        actions[i] = data[i];
    const std::uint8_t* image = data + taken;
    const std::size_t imageSize = size - taken;

    const fs::path input = scratch() / "in.rom";
    const fs::path target = scratch() / "out.rom";
    writeAll(input, image, imageSize);
    const std::uint8_t previous[] = {'o', 'l', 'd'};
    writeAll(target, previous, sizeof previous);

    zfx::SilentHost host;
    zfx::EditorModel model(host);
    model.openBios(input.string());
    if (actions[0] & 1) model.setChecked(1, true);
    if (actions[0] & 2) model.setChecked(2, true);
    for (int list = 1; list <= 3; ++list) {
        const int count = static_cast<int>(model.form().combo(list).entries.size());
        model.selectEntry(list, actions[list] % (count + 1) - 1);
    }
    const unsigned boxMask = static_cast<unsigned>(actions[4]) | (static_cast<unsigned>(actions[5]) << 8u);
    for (int box = 1; box <= 12; ++box) {
        if (!(boxMask & (1u << (box - 1)))) continue;
        const unsigned seed = actions[6] * 131u + actions[7] * 7u + static_cast<unsigned>(box) * 977u;
        std::string text;
        switch (seed % 5) {
        case 0:
            text = "";
            break;
        case 1:
            text = std::to_string(seed % 256);
            break;
        case 2:
            text = std::to_string(seed % 70000);
            break;
        case 3:
            text = std::to_string(seed);
            break;
        default:
            text = "99999999999";
            break;
        }
        model.typeText(box, text);
        model.keyReleased(box);
    }
    const bool saved =
        model.saveBios(target.string(), (actions[0] & 4) ? zfx::kBinFilterEntry : zfx::kRomFilterEntry);
    const std::vector<std::uint8_t> written = readAll(target);
    if (saved) {
        if (written.size() != imageSize) fail("saved length differs from the loaded length");
        unsigned sum = 0;
        for (const std::uint8_t b : written)
            sum += b;
        if (sum % 256 != 0) fail("saved bytes do not sum to 0 modulo 256");
    } else if (written != std::vector<std::uint8_t>(previous, previous + sizeof previous)) {
        fail("a failed save changed the target");
    }
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(scratch()))
        ++files;
    if (files != 2) fail("a save left a stray file behind");
    return 0;
}
