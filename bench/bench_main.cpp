// SPDX-License-Identifier: MIT
// Benchmarks, each against a baseline measured in the same run; the last lines give the ratios.
#include "checks/image_check.h"
#include "editor/editor_model.h"
#include "image/bios_image.h"
#include "io/file_io.h"
#include "sample_images.h"
#include "structure/rom_structure.h"
#include "structure/structure_check.h"
#include "tables/card_data.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <random>

namespace {

constexpr std::size_t k64K = std::size_t{64} * 1024;
constexpr std::uint8_t kTimingPattern[] = {0x04, 0x08, 0x00, 0x02, 0x10, 0x00};

// 64 KiB of random bytes in which the timing pattern does not occur, so both searches read it all.
const std::vector<std::uint8_t>& patternlessImage() {
    static const std::vector<std::uint8_t> image = [] {
        std::mt19937 random(42);
        std::vector<std::uint8_t> bytes(k64K);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(random());
        while (memmem(bytes.data(), bytes.size(), kTimingPattern, sizeof kTimingPattern))
            bytes[random() % k64K] ^= 0x55;
        return bytes;
    }();
    return image;
}

void BM_Memmem_Absent(benchmark::State& state) {
    const auto& bytes = patternlessImage();
    for (auto _ : state) {
        const void* found = memmem(bytes.data(), bytes.size(), kTimingPattern, sizeof kTimingPattern);
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(k64K));
}
BENCHMARK(BM_Memmem_Absent);

void BM_FindPattern_Absent(benchmark::State& state) {
    const zfx::BiosImage image(patternlessImage());
    for (auto _ : state) {
        const std::int32_t found = image.findPattern("040800021000");
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(k64K));
}
BENCHMARK(BM_FindPattern_Absent);

const std::string& sampleFile() {
    static const std::string path = [] {
        const auto file = std::filesystem::temp_directory_path() / "zfx-bench-fx5950-ultra.rom";
        for (const auto& sample : zfx::samples::allSamples())
            if (sample.fileName == "fx5950-ultra.rom") {
                std::ofstream out(file, std::ios::binary | std::ios::trunc);
                out.write(reinterpret_cast<const char*>(sample.bytes.data()),
                          static_cast<std::streamsize>(sample.bytes.size()));
            }
        return file.string();
    }();
    return path;
}

void BM_ReadFile_64K(benchmark::State& state) {
    for (auto _ : state) {
        auto read = zfx::readImageFile(sampleFile());
        benchmark::DoNotOptimize(read.bytes.data());
    }
}
BENCHMARK(BM_ReadFile_64K)->Unit(benchmark::kMicrosecond);

// The whole open: read the file, identify, voltages, clocks, and the timings behind the tick.
void BM_OpenImage_64K(benchmark::State& state) {
    zfx::SilentHost host;
    for (auto _ : state) {
        zfx::EditorModel model(host);
        if (!model.openBios(sampleFile()).ok()) state.SkipWithError("the sample could not be read");
        model.setChecked(zfx::Control::TimingEdit, true);
        benchmark::DoNotOptimize(model.form().edit(zfx::Control::TimingB).text.data());
    }
}
BENCHMARK(BM_OpenImage_64K)->Unit(benchmark::kMicrosecond);

// One keystroke: the user's change of a box or a level's cell, and the save the model plans again
// for the preview of the levels. The texts alternate, so that every iteration changes the edits.
// type returns false when the model refused the text.
void keystrokes(benchmark::State& state, const std::function<bool(zfx::EditorModel&, bool)>& type) {
    zfx::SilentHost host;
    zfx::EditorModel model(host);
    if (!model.openBios(sampleFile()).ok()) state.SkipWithError("the sample could not be read");
    bool second = false;
    const std::size_t plannedBefore = model.savesPlanned();
    for (auto _ : state) {
        if (!type(model, second)) {
            state.SkipWithError("the model refused the text");
            break;
        }
        second = !second;
        benchmark::DoNotOptimize(model.levelsPreview().levels.data());
    }
    if (!state.error_occurred() &&
        model.savesPlanned() - plannedBefore != static_cast<std::size_t>(state.iterations()))
        state.SkipWithError("a keystroke planned no save: the edits did not change");
}

void BM_Keystroke_ClockBox_64K(benchmark::State& state) {
    keystrokes(state, [](zfx::EditorModel& model, bool second) {
        model.typeText(zfx::Control::Core3D, second ? "501" : "500");
        model.keyReleased(zfx::Control::Core3D);
        return true;
    });
}
BENCHMARK(BM_Keystroke_ClockBox_64K)->Unit(benchmark::kMicrosecond);

void BM_Keystroke_LevelCell_64K(benchmark::State& state) {
    keystrokes(state, [](zfx::EditorModel& model, bool second) {
        const zfx::LevelCell cell{0x80, zfx::LevelField::Core, 0};
        return !model.setLevelText(cell, second ? "501" : "500");
    });
}
BENCHMARK(BM_Keystroke_LevelCell_64K)->Unit(benchmark::kMicrosecond);

// The card data alone, from bytes already in memory: identification and the three tables.
void BM_ReadCardData_64K(benchmark::State& state) {
    const zfx::BiosImage image(zfx::readImageFile(sampleFile()).bytes);
    for (auto _ : state) {
        const zfx::CardData data = zfx::readCardData(image);
        benchmark::DoNotOptimize(data.clocks.table.has_value());
    }
}
BENCHMARK(BM_ReadCardData_64K)->Unit(benchmark::kMicrosecond);

// The checks every open makes, from bytes in memory: the image as a PCI option ROM, and the BIOS
// structure decoded and checked against the card data.
void BM_CheckImage_64K(benchmark::State& state) {
    const zfx::BiosImage image(zfx::readImageFile(sampleFile()).bytes);
    const zfx::CardIdentity identity = zfx::identifyCard(image);
    for (auto _ : state) {
        const zfx::ImageCheck check = zfx::checkImage(image, identity, zfx::readOptionRomChain(image));
        benchmark::DoNotOptimize(check.findings.data());
    }
}
BENCHMARK(BM_CheckImage_64K)->Unit(benchmark::kMicrosecond);

void BM_CheckStructure_64K(benchmark::State& state) {
    const zfx::BiosImage image(zfx::readImageFile(sampleFile()).bytes);
    const zfx::CardData data = zfx::readCardData(image);
    for (auto _ : state) {
        const zfx::StructureCheck check = zfx::checkStructure(zfx::decodeRomStructure(image), data);
        benchmark::DoNotOptimize(check.findings.data());
    }
}
BENCHMARK(BM_CheckStructure_64K)->Unit(benchmark::kMicrosecond);

// Keeps the median of each benchmark for the ratios.
class MedianReporter final : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians[run.run_name.function_name] =
                    run.GetAdjustedRealTime() * unitToMicroseconds(run.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }
    static double unitToMicroseconds(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kNanosecond:
            return 1e-3;
        case benchmark::kMicrosecond:
            return 1.0;
        case benchmark::kMillisecond:
            return 1e3;
        default:
            return 1e6;
        }
    }
    std::map<std::string, double> medians; // microseconds
};

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=7";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    args.push_back(repetitions.data());
    args.push_back(aggregates.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& m = reporter.medians;
    std::cout << "\nmedians of 7 runs\n";
    if (m.count("BM_Memmem_Absent") && m.count("BM_FindPattern_Absent"))
        std::cout << "findPattern / memmem time, 64 KiB, pattern absent: "
                  << m["BM_FindPattern_Absent"] / m["BM_Memmem_Absent"] << " (goal: at most 2)\n";
    if (m.count("BM_ReadFile_64K") && m.count("BM_OpenImage_64K"))
        std::cout << "whole open / file read alone: " << m["BM_OpenImage_64K"] / m["BM_ReadFile_64K"]
                  << "; whole open: " << m["BM_OpenImage_64K"] << " us (goal: at most 50 us)\n";
    for (const char* keystroke : {"BM_Keystroke_ClockBox_64K", "BM_Keystroke_LevelCell_64K"})
        if (m.count(keystroke) && m.count("BM_OpenImage_64K"))
            std::cout << keystroke << " / whole open: " << m[keystroke] / m["BM_OpenImage_64K"]
                      << "; keystroke: " << m[keystroke] << " us (goal: at most 2000 us)\n";
    benchmark::Shutdown();
    return 0;
}
