// SPDX-License-Identifier: MIT
// Runs a fuzz target over files and folders of inputs, so that a build without libFuzzer still
// exercises it (ctest runs it over the seed corpus).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    std::size_t runs = 0;
    auto runFile = [&](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> input{std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()};
        LLVMFuzzerTestOneInput(input.data(), input.size());
        ++runs;
    };
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg = argv[i];
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg))
                if (entry.is_regular_file()) runFile(entry.path());
        } else {
            runFile(arg);
        }
    }
    std::printf("replayed %zu inputs\n", runs);
    return runs > 0 ? 0 : 1;
}
