// SPDX-License-Identifier: MIT
#include "checks/image_check.h"
#include "planted_faults.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace zfx::samples {
void PrintTo(const PlantedFault& fault, std::ostream* os) {
    *os << fault.fileName;
}
} // namespace zfx::samples

namespace zfx {
namespace {

using Bytes = std::vector<std::uint8_t>;

ImageCheck check(const Bytes& bytes) {
    const BiosImage image(bytes);
    return checkImage(image, identifyCard(image), readOptionRomChain(image));
}

const Finding* item(const ImageCheck& c, const std::string& name) {
    const auto it = std::find_if(c.findings.begin(), c.findings.end(),
                                 [&](const Finding& i) { return subjectName(i) == name; });
    return it == c.findings.end() ? nullptr : &*it;
}

class SampleCheck : public ::testing::TestWithParam<std::string> {};

TEST_P(SampleCheck, EverySampleIsASoundOptionRomWithEveryCheckPassed) {
    const ImageCheck c = check(test::sampleBytes(GetParam()));
    EXPECT_TRUE(c.passed());
    for (const std::string name : {"signature", "size", "pci data", "vendor", "device", "image length",
                                   "last image", "checksum", "file checksum"}) {
        const Finding* found = item(c, name);
        ASSERT_TRUE(found) << name;
        EXPECT_EQ(found->severity, Severity::Passed) << name << ": " << found->text;
    }
    EXPECT_EQ(c.line(), "Image check passed: 64 KiB option ROM, checksum correct");
    ASSERT_EQ(c.imageCount, 1u);
    EXPECT_EQ(readOptionRomChain(BiosImage(test::sampleBytes(GetParam()))).images[0].pciData, 0x180);
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, SampleCheck, ::testing::ValuesIn(test::sampleNames()));

class PlantedFaultCheck : public ::testing::TestWithParam<samples::PlantedFault> {};

TEST_P(PlantedFaultCheck, TheFaultIsNamedByItsCheckAndTheOthersStaySilent) {
    const samples::PlantedFault& fault = GetParam();
    const ImageCheck c = check(fault.bytes);
    const Finding* named = item(c, fault.check);
    ASSERT_TRUE(named) << fault.check;
    EXPECT_EQ(verdictName(named->severity), fault.verdict) << named->text;
    EXPECT_EQ(c.passed(), fault.verdict != "failed");
    if (fault.verdict == "failed") {
        EXPECT_EQ(c.line().rfind("Warning: ", 0), 0u) << c.line();
    } else {
        EXPECT_EQ(c.line().rfind("Image check passed", 0), 0u) << c.line();
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, PlantedFaultCheck, ::testing::ValuesIn(samples::plantedFaults()),
                         [](const auto& param) {
                             std::string name =
                                 param.param.fileName.substr(6, param.param.fileName.size() - 10);
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(ImageCheck, ABadChecksumGivesTheStoredAndTheNeededByteAndWhatItUsuallyMeans) {
    Bytes bytes = test::sampleBytes("fx5200.rom");
    const std::uint8_t stored = bytes.back();
    bytes.back() = static_cast<std::uint8_t>(stored + 3);
    const ImageCheck c = check(bytes);
    const Finding* sum = item(c, "checksum");
    ASSERT_TRUE(sum);
    ASSERT_EQ(sum->places.size(), 2u);
    EXPECT_EQ(sum->places[0].name, "stored");
    EXPECT_EQ(sum->places[0].offset, 0xFFFF);
    EXPECT_EQ(sum->places[1].name, "needed");
    char needed[8];
    std::snprintf(needed, sizeof needed, "%02Xh", stored);
    EXPECT_EQ(sum->places[1].value, needed);
    EXPECT_NE(
        c.line().find("taken from shadow RAM or damaged: read the BIOS again with the card's flash tool"),
        std::string::npos)
        << c.line();
}

TEST(ImageCheck, TwoImagesAreListedAndTheChainEndsAtTheLastImageBit) {
    const auto faults = samples::plantedFaults();
    const auto two = std::find_if(faults.begin(), faults.end(),
                                  [](const auto& f) { return f.fileName == "fault-two-images.rom"; });
    ASSERT_NE(two, faults.end());
    const ImageCheck c = check(two->bytes);
    const OptionRomChain chain = readOptionRomChain(BiosImage(two->bytes));
    ASSERT_EQ(chain.images.size(), 2u);
    EXPECT_EQ(chain.images[1].start, 0x10000);
    EXPECT_EQ(chain.images[1].codeType, 3);
    EXPECT_TRUE(chain.images[1].last);
    EXPECT_TRUE(chain.broken.empty());
    EXPECT_NE(item(c, "last image")->text.find("10000h EFI 32 KiB"), std::string::npos);
    EXPECT_EQ(c.line(), "Image check passed: 64 KiB option ROM and a further image, checksum correct");
}

TEST(ImageCheck, ChainsThatLoopOrRunOffTheEndStopAndSaySo) {
    // Every image claims a length of 0 blocks and is not the last: the walk must not spin.
    Bytes zeroLength = test::sampleBytes("fx5200.rom");
    zeroLength[0x180 + 0x10] = 0;
    zeroLength[0x180 + 0x11] = 0;
    zeroLength[0x180 + 0x15] = 0;
    const ImageCheck zero = check(zeroLength);
    EXPECT_FALSE(readOptionRomChain(BiosImage(zeroLength)).broken.empty());
    EXPECT_FALSE(zero.passed());
    // A pointer at 18h past the end of a tiny file.
    const ImageCheck tiny = check(Bytes{0x55, 0xAA, 0x01, 0x00});
    EXPECT_FALSE(tiny.passed());
    EXPECT_EQ(item(tiny, "size")->severity, Severity::Problem);
    EXPECT_EQ(item(tiny, "pci data")->severity, Severity::Problem);
}

TEST(ImageCheck, RandomBytesAndEmptyFilesAreNoOptionRomAndNeverReadOutside) {
    std::mt19937 random(7);
    for (const std::size_t size : {0u, 1u, 2u, 3u, 100u, 4096u}) {
        Bytes bytes(size);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(random());
        if (size >= 2) bytes[0] = 0x12;
        const ImageCheck c = check(bytes);
        ASSERT_EQ(c.findings.size(), 1u) << size;
        EXPECT_EQ(subjectName(c.findings[0]), "signature");
        EXPECT_EQ(c.line(), "Warning: not a PCI option ROM (no 55 AA at the start)");
    }
    // A 55 AA header over random bytes: checked to the end without a crash.
    for (int round = 0; round < 200; ++round) {
        Bytes bytes(1 + random() % 3000);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(random());
        bytes[0] = 0x55;
        if (bytes.size() > 1) bytes[1] = 0xAA;
        (void)check(bytes).line();
    }
}

} // namespace
} // namespace zfx

namespace zfx {
namespace {

TEST(ImageCheck, BeforeAnyImageTheLineSaysSo) {
    EXPECT_EQ(ImageCheck{}.line(), "No image checked");
    EXPECT_TRUE(ImageCheck{}.passed());
}

} // namespace
} // namespace zfx
