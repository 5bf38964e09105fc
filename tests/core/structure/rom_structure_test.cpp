// SPDX-License-Identifier: MIT
#include "planted_faults.h"
#include "structure/rom_structure.h"
#include "structure/structure_check.h"
#include "tables/card_data.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace zfx::samples {
void PrintTo(const PlantedContradiction& planted, std::ostream* os) {
    *os << planted.fileName;
}
} // namespace zfx::samples

namespace zfx {
namespace {

using Bytes = std::vector<std::uint8_t>;

StructureCheck checkOf(const Bytes& bytes) {
    const BiosImage image(bytes);
    return checkStructure(decodeRomStructure(image), readCardData(image));
}

void putWord(Bytes& b, std::size_t at, std::uint16_t value) {
    b.at(at) = static_cast<std::uint8_t>(value & 0xFF);
    b.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}

TEST(RomStructure, TheFx5700SamplesBmpPointsToItsPerformanceVoltageAndScriptTables) {
    const RomStructure s = decodeRomStructure(BiosImage(test::sampleBytes("fx5700.rom")));
    ASSERT_TRUE(s.bmp);
    EXPECT_FALSE(s.bit);
    EXPECT_EQ(s.bmp->offset, 0x300);
    EXPECT_EQ(s.bmp->major, 5);
    EXPECT_EQ(s.bmp->minor, 0x28);
    EXPECT_TRUE(s.bmp->checksumOk);
    EXPECT_EQ(s.bmp->biosVersion, "04.36.20.21");
    ASSERT_TRUE(s.perf);
    EXPECT_EQ(s.perf->offset, 0x1FF9);
    EXPECT_EQ(s.perf->version, 0x15);
    ASSERT_EQ(s.perf->levels.size(), 3u);
    const PerfLevel& first = s.perf->levels[0];
    EXPECT_EQ(first.id, 0x20);
    EXPECT_EQ(first.core.offset, 0x2003);
    EXPECT_EQ(first.core.value, 30000u); // 10 kHz
    ASSERT_EQ(first.memory.size(), 8u);
    EXPECT_EQ(first.memory[7].offset, 0x2023);
    EXPECT_EQ(first.memory[0].value, 27549u);
    EXPECT_EQ(first.voltage, 0x78);
    EXPECT_EQ(first.timingBlock, 0x202B);
    EXPECT_EQ(s.perf->levels[2].core.value, 47500u);
    ASSERT_TRUE(s.voltage);
    EXPECT_EQ(s.voltage->offset, 0x1000);
    ASSERT_EQ(s.voltage->entries.size(), 3u);
    EXPECT_EQ(s.voltage->entries[1].offset, 0x1007);
    EXPECT_EQ(s.voltage->entries[1].voltage, 0x82);
    EXPECT_EQ(s.voltage->entries[1].vid, 2);
    ASSERT_TRUE(s.scripts);
    ASSERT_EQ(s.scripts->programs.size(), 2u);
    EXPECT_EQ(s.scripts->programs[0].reg, 0x100200u);
    EXPECT_EQ(s.scripts->programs[1].reg, 0x100204u);
    EXPECT_EQ(s.scripts->programs[1].valuesOffset, 0x1831);
    EXPECT_TRUE(s.problems.empty());
}

TEST(RomStructure, TheGeForce6800SamplesBitHasAPerformanceTableOfWholeMegahertz) {
    const RomStructure s = decodeRomStructure(BiosImage(test::sampleBytes("gf6800-ultra.rom")));
    ASSERT_TRUE(s.bit);
    EXPECT_FALSE(s.bmp);
    EXPECT_TRUE(s.bit->checksumOk);
    ASSERT_EQ(s.bit->tokens.size(), 2u);
    EXPECT_EQ(s.bit->tokens[0].id, 'P');
    ASSERT_TRUE(s.perf);
    EXPECT_TRUE(s.perf->bitHeader);
    EXPECT_EQ(s.perf->version, 0x21);
    ASSERT_EQ(s.perf->levels.size(), 2u);
    EXPECT_EQ(s.perf->levels[1].core.offset, 0x2026);
    EXPECT_EQ(s.perf->levels[1].core.value, 400u);
    EXPECT_EQ(s.perf->levels[1].memory[0].value, 550u);
    EXPECT_EQ(s.perf->levels[0].timingIndices, (std::vector<std::uint8_t>{0, 0}));
    ASSERT_TRUE(s.timing);
    EXPECT_EQ(s.timing->entries, (std::vector<std::int32_t>{0x384}));
    EXPECT_TRUE(s.problems.empty());
}

class SampleStructure : public ::testing::TestWithParam<std::string> {};

TEST_P(SampleStructure, EverySampleOfACardFamilyIsConfirmed) {
    const StructureCheck c = checkOf(test::sampleBytes(GetParam()));
    if (GetParam() == "unsupported.rom") {
        EXPECT_EQ(c.line(), "Not checked: no BMP or BIT structure");
        return;
    }
    EXPECT_EQ(c.line(), "Tables confirmed by the BIOS structure");
    EXPECT_FALSE(c.contradicted()) << c.contradictions();
    // Only the voltages the editor offers beyond the table's own are left unchecked.
    for (const Finding& v : c.findings)
        if (subjectName(v) != "voltage choices") {
            EXPECT_EQ(v.severity, Severity::Passed) << subjectName(v) << ": " << v.text;
        }
    const bool hasClocks = std::any_of(c.findings.begin(), c.findings.end(),
                                       [](const Finding& v) { return tableName(v) == "clock table"; });
    // The levels-only samples have no clock table the patterns find, so there is none to confirm.
    EXPECT_EQ(hasClocks, GetParam().find("levels-only") == std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, SampleStructure, ::testing::ValuesIn(test::sampleNames()));

class PlantedContradictionCheck : public ::testing::TestWithParam<samples::PlantedContradiction> {};

TEST_P(PlantedContradictionCheck, IsNamedWithBothPlaces) {
    const samples::PlantedContradiction& planted = GetParam();
    const StructureCheck c = checkOf(planted.bytes);
    ASSERT_TRUE(c.contradicted());
    EXPECT_EQ(c.line(), "Warning: the " + planted.table + " found " +
                            (planted.table == "timing bytes" ? "do" : "does") +
                            " not match the BIOS structure");
    const auto verdict = std::find_if(c.findings.begin(), c.findings.end(),
                                      [&](const Finding& v) { return subjectName(v) == planted.subject; });
    ASSERT_NE(verdict, c.findings.end()) << planted.subject;
    EXPECT_EQ(verdict->severity, Severity::Problem);
    ASSERT_FALSE(offsetsNamed(*verdict, "found").empty());
    ASSERT_FALSE(offsetsNamed(*verdict, "structure").empty());
    EXPECT_EQ(offsetsNamed(*verdict, "found").front(), planted.found.front());
    EXPECT_EQ(offsetsNamed(*verdict, "structure").front(), planted.structure.front());
    EXPECT_NE(c.contradictions().find(verdict->text), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Samples, PlantedContradictionCheck,
                         ::testing::ValuesIn(samples::plantedContradictions()), [](const auto& param) {
                             std::string name =
                                 param.param.fileName.substr(14, param.param.fileName.size() - 18);
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(StructureCheck, AnImageWithoutBmpOrBitIsNotCheckedAndItsCardDataStayTheSame) {
    Bytes bytes = test::sampleBytes("fx5950-ultra.rom");
    const CardData before = readCardData(BiosImage(bytes));
    bytes[0x300] = 0x00; // the BMP signature is gone: another generation's image
    const BiosImage image(bytes);
    const CardData after = readCardData(image);
    const StructureCheck c = checkStructure(decodeRomStructure(image), after);
    EXPECT_EQ(c.line(), "Not checked: no BMP or BIT structure");
    for (const Finding& v : c.findings)
        EXPECT_EQ(v.severity, Severity::Note) << subjectName(v);
    ASSERT_TRUE(after.clocks.table);
    EXPECT_EQ(after.clocks.table->base, before.clocks.table->base);
    EXPECT_EQ(after.voltages.table->offset, before.voltages.table->offset);
}

TEST(StructureCheck, AnUnknownPerformanceTableVersionIsReportedAndNotChecked) {
    Bytes bytes = test::sampleBytes("fx5700.rom");
    bytes[0x1FF9 + 1] = 0x16;
    const RomStructure s = decodeRomStructure(BiosImage(bytes));
    ASSERT_TRUE(s.perf);
    EXPECT_FALSE(s.perf->known);
    ASSERT_FALSE(s.problems.empty());
    EXPECT_NE(s.problems.front().text.find("version 16h"), std::string::npos) << s.problems.front().text;
    const StructureCheck c = checkOf(bytes);
    EXPECT_FALSE(c.contradicted());
    const auto clock = std::find_if(c.findings.begin(), c.findings.end(),
                                    [](const Finding& v) { return subjectName(v) == "3D core clock"; });
    ASSERT_NE(clock, c.findings.end());
    EXPECT_EQ(clock->severity, Severity::Note);
}

// --- bad input: the decoder reads nothing outside and every walk ends ---

TEST(RomStructureBadInput, PointersPastTheEndCountsThatRunOffAndScriptLoopsEnd) {
    Bytes bytes = test::sampleBytes("fx5700.rom");
    // A performance table whose three levels and a voltage table whose 32 entries run off the end.
    putWord(bytes, 0x300 + 0x94, 0xFFF0);
    for (const auto& [at, value] : std::vector<std::pair<std::size_t, std::uint8_t>>{{0xFFF0, 0x09},
                                                                                     {0xFFF1, 0x15},
                                                                                     {0xFFF2, 0x03},
                                                                                     {0xFFF3, 0x39},
                                                                                     {0xFFF8, 0x10},
                                                                                     {0xFFF9, 0x02},
                                                                                     {0xFFFA, 0x20},
                                                                                     {0xFFFC, 0x07}})
        bytes[at] = value;
    putWord(bytes, 0x300 + 0x98, 0xFFF8);
    putWord(bytes, 0x400, 0x0500); // a script that calls itself, then one without end
    putWord(bytes, 0x402, 0x0600);
    putWord(bytes, 0x404, 0);
    bytes[0x500] = 0x5B;
    putWord(bytes, 0x501, 0x0500);
    bytes[0x503] = 0x71;
    for (std::size_t i = 0x600; i < 0x700; ++i)
        bytes[i] = 0x8C; // one-byte commands, then zeros: command 00h is not known
    const RomStructure s = decodeRomStructure(BiosImage(bytes));
    ASSERT_TRUE(s.scripts);
    EXPECT_EQ(s.scripts->scripts, (std::vector<std::int32_t>{0x500, 0x600}));
    const auto mentions = [&](const std::string& text) {
        return std::any_of(s.problems.begin(), s.problems.end(),
                           [&](const DecodeProblem& p) { return p.text.find(text) != std::string::npos; });
    };
    EXPECT_TRUE(mentions("command 00h at 700h, which the decoder does not know")) << s.problems.size();
    EXPECT_TRUE(mentions("the performance levels run past the end of the image"));
    EXPECT_TRUE(mentions("the voltage entries run past the end of the image"));
    (void)checkOf(bytes).line();
}

TEST(RomStructureBadInput, RandomBytesAroundPlantedSignaturesNeverCrashOrSpin) {
    std::mt19937 random(11);
    const std::vector<std::vector<std::uint8_t>> signatures{{0xFF, 0x7F, 0x4E, 0x56, 0x00},
                                                            {0xFF, 0xB8, 'B', 'I', 'T'}};
    for (int round = 0; round < 300; ++round) {
        Bytes bytes(16 + random() % 5000);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(random());
        const auto& signature = signatures[static_cast<std::size_t>(round) % 2];
        const std::size_t at = random() % bytes.size();
        for (std::size_t i = 0; i < signature.size() && at + i < bytes.size(); ++i)
            bytes[at + i] = signature[i];
        if (round % 3 == 0 && at + 6 < bytes.size()) {
            bytes[at + 5] = 5; // a BMP version with table pointers
            bytes[at + 6] = 0x28;
        }
        const BiosImage image(bytes);
        const RomStructure s = decodeRomStructure(image);
        if (s.scripts) {
            EXPECT_LE(s.scripts->commandCount, 20000);
        }
        (void)checkStructure(s, readCardData(image)).details();
    }
}

} // namespace
} // namespace zfx

namespace zfx {
namespace {

// Command 87h takes four bytes per memory configuration: a script that meets it before any
// restricted program gave that count is walked again once another script has given it.
TEST(RomStructure, ACommandThatNeedsTheMemoryConfigurationCountIsWalkedOnceItIsKnown) {
    Bytes bytes = test::sampleBytes("fx5700.rom");
    putWord(bytes, 0x400, 0x0500);
    putWord(bytes, 0x402, 0x17FB); // the sample's own script, whose programs have eight values
    putWord(bytes, 0x404, 0);
    bytes[0x500] = 0x87;
    bytes[0x500 + 2 + 4 * 8] = 0x71;
    const RomStructure s = decodeRomStructure(BiosImage(bytes));
    ASSERT_TRUE(s.scripts);
    EXPECT_TRUE(s.problems.empty()) << s.problems.front().text;
    EXPECT_EQ(s.scripts->commandCount, 2 + 3);
    EXPECT_EQ(checkOf(bytes).line(), "Tables confirmed by the BIOS structure");
}

// Clock fields in bytes of a level that the structure does not explain are not checked, not
// contradicted: a version 14h level repeats no memory clock.
TEST(StructureCheck, ClockFieldsInBytesTheStructureLeavesOpenAreNotChecked) {
    Bytes bytes = test::sampleBytes("fx5950-ultra.rom");
    bytes[0x1FF9 + 1] = 0x14;
    const StructureCheck c = checkOf(bytes);
    EXPECT_FALSE(c.contradicted()) << c.contradictions();
    const auto memory = std::find_if(c.findings.begin(), c.findings.end(),
                                     [](const Finding& v) { return subjectName(v) == "2D memory clock"; });
    ASSERT_NE(memory, c.findings.end());
    EXPECT_EQ(memory->severity, Severity::Note);
    EXPECT_NE(memory->text.find("version 14h performance level holds at 200Bh"), std::string::npos)
        << memory->text;
}

} // namespace
} // namespace zfx
