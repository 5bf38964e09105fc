// SPDX-License-Identifier: MIT
// The performance levels as values to edit: how a user names a level's value, how its text reads,
// and the bytes it writes.
#include "structure/performance_levels.h"

#include "analysis/image_analysis.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zfx {
namespace {

EditableLevels levelsOf(const std::string& sample) {
    const ImageAnalysis analysis = analyseImage(BiosImage(test::sampleBytes(sample)));
    EXPECT_TRUE(analysis.levels) << sample;
    return analysis.levels.value_or(EditableLevels{});
}

TEST(LevelCells, NamesReadAsTheirLevelFieldAndCopy) {
    struct Case {
        std::string text;
        std::optional<LevelCell> cell;
        std::string error; // a part of it
    };
    const std::vector<Case> cases{
        {"80h:core", LevelCell{0x80, LevelField::Core, 0}, ""},
        {"0x60:memory", LevelCell{0x60, LevelField::Memory, 0}, ""},
        {"20H:memory.7", LevelCell{0x20, LevelField::MemoryCopy, 7}, ""},
        {"20h:voltage", LevelCell{0x20, LevelField::Voltage, 0}, ""},
        {"ffh:fan", LevelCell{0xFF, LevelField::Fan, 0}, ""},
        {"80h", std::nullopt, "write ID:FIELD"},
        {"80:core", std::nullopt, "is no level id"},
        {"100h:core", std::nullopt, "is no level id"},
        {"80h:memory.", std::nullopt, "is no memory copy"},
        {"80h:memory.x", std::nullopt, "is no memory copy"},
        {"80h:memory.123", std::nullopt, "is no memory copy"},
        {"80h:shader", std::nullopt, "is no field of a level"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const LevelCellRead read = readLevelCell(c.text);
        EXPECT_EQ(read.cell, c.cell);
        if (c.cell) {
            EXPECT_EQ(read.error, "");
            EXPECT_EQ(readLevelCell(levelCellName(*c.cell)).cell, c.cell) << "the name reads back";
        } else {
            EXPECT_NE(read.error.find(c.error), std::string::npos) << read.error;
        }
    }
}

// The levels of the two families as the table holds them: the clocks' units, the copies that show
// the memory clock, the fan and voltage bytes, the voltages a level may ask for.
TEST(EditableLevels, ReadEveryLevelsValuesAndTheirPlaces) {
    const EditableLevels fx = levelsOf("fx5700-levels-only.rom");
    EXPECT_TRUE(fx.hundredths);
    ASSERT_EQ(fx.levels.size(), 3u);
    EXPECT_EQ(fx.tableVoltages, (std::vector<std::uint8_t>{0x78, 0x82, 0x8C}));
    const EditableLevel& mixed = *fx.find(0x60);
    EXPECT_EQ(mixed.core.value, 42500u);
    EXPECT_EQ(mixed.shownCopies, (std::vector<int>{2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(mixed.shownMemory(), 35000u);
    EXPECT_EQ(mixed.fan, 60);
    EXPECT_EQ(mixed.fanOffset, mixed.core.offset - 1 + 55);
    EXPECT_EQ(mixed.voltageOffset, mixed.core.offset - 1 + 56);

    const EditableLevels xt = levelsOf("fx5900-xt.rom");
    const EditableLevel& tie = *xt.find(0x20);
    EXPECT_EQ(tie.shownCopies, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(tie.shownMemory(), 35000u);

    const EditableLevels gf = levelsOf("gf6800-gt-levels-only.rom");
    EXPECT_FALSE(gf.hundredths);
    ASSERT_EQ(gf.levels.size(), 3u);
    const EditableLevel& top = *gf.find(0x80);
    EXPECT_EQ(top.core.width, 2);
    EXPECT_EQ(top.core.value, 400u);
    ASSERT_EQ(top.memory.size(), 1u);
    EXPECT_EQ(top.memory[0].offset, top.core.offset - 6 + 12) << "version 25h keeps the memory at +12";
    EXPECT_EQ(top.memory[0].value, 550u);
    EXPECT_EQ(top.fan, 100);
    EXPECT_EQ(top.fanOffset, top.core.offset - 6 + 4);
    EXPECT_EQ(top.voltage, 0x8C);

    const EditableLevels le = levelsOf("gf6800-le.rom");
    EXPECT_EQ(le.find(0x20)->fan, 35);
    EXPECT_EQ(le.find(0x60)->fan, 80);
    EXPECT_EQ(le.find(0x60)->memory[0].offset, le.find(0x60)->core.offset + 5) << "version 21h: +11";
}

TEST(LevelValues, TextsReadAsTheStoredValueOrARefusal) {
    const EditableLevels fx = levelsOf("fx5700-levels-only.rom");
    const EditableLevels gf = levelsOf("gf6800-gt-levels-only.rom");
    struct Case {
        const EditableLevels* levels;
        LevelCell cell;
        std::string text;
        std::optional<std::uint32_t> stored;
        bool notANumber = false;
    };
    const LevelCell fxCore{0x20, LevelField::Core}, gfCore{0x20, LevelField::Core};
    const LevelCell fan{0x20, LevelField::Fan}, voltage{0x20, LevelField::Voltage};
    const std::vector<Case> cases{
        {&fx, fxCore, "275.49", 27549},
        {&fx, fxCore, " 300 ", 30000},
        {&fx, fxCore, "275.5", 27550},
        {&fx, fxCore, "275.499", std::nullopt, true},
        {&fx, fxCore, "275.", std::nullopt, true},
        {&fx, fxCore, "-5", std::nullopt, true},
        {&fx, fxCore, "42949672.95", 0xFFFFFFFFu},
        {&fx, fxCore, "42949672.96", std::nullopt},
        {&gf, gfCore, "350", 350},
        {&gf, gfCore, "350.5", std::nullopt, true},
        {&gf, gfCore, "65535", 65535},
        {&gf, gfCore, "65536", std::nullopt},
        {&fx, fan, "100", 100},
        {&fx, fan, "0%", 0},
        {&fx, fan, "101", std::nullopt},
        {&fx, fan, "40.5", std::nullopt, true},
        {&fx, voltage, "1.3V", 0x82},
        {&fx, voltage, "1.40", 0x8C},
        {&fx, voltage, "1.35", std::nullopt},
        {&fx, voltage, "high", std::nullopt, true},
        {&gf, voltage, "1.2", 0x78},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(levelCellName(c.cell) + " " + c.text);
        const LevelValueRead read = readLevelValue(*c.levels, c.cell, c.text);
        EXPECT_EQ(read.stored, c.stored);
        EXPECT_EQ(read.notANumber, c.notANumber);
        EXPECT_EQ(read.refusal.empty(), c.stored.has_value()) << read.refusal;
    }
}

// The writes of several values at once: each value's bytes, little-endian; a copy given on its own
// wins over its level's memory clock; one refused value stops them all.
TEST(LevelWrites, EveryValueWritesItsPlacesOrNothingIsWritten) {
    const EditableLevels fx = levelsOf("fx5700-levels-only.rom");
    const EditableLevel& level = *fx.find(0x60);
    const LevelWrite write = writeLevels(fx, {{{0x60, LevelField::Memory}, "360"},
                                              {{0x60, LevelField::MemoryCopy, 4}, "370"},
                                              {{0x60, LevelField::Fan}, "65"}});
    ASSERT_FALSE(write.failure);
    std::map<std::int32_t, std::uint8_t> bytes;
    for (const LevelByte& b : write.writes)
        EXPECT_TRUE(bytes.emplace(b.offset, b.value).second) << "each byte once";
    const auto u32At = [&](std::int32_t at) {
        return static_cast<std::uint32_t>(bytes.at(at) | bytes.at(at + 1) << 8 | bytes.at(at + 2) << 16 |
                                          bytes.at(at + 3) << 24);
    };
    for (const int k : level.shownCopies)
        EXPECT_EQ(u32At(level.memory[static_cast<std::size_t>(k)].offset), k == 4 ? 37000u : 36000u) << k;
    EXPECT_FALSE(bytes.contains(level.memory[0].offset)) << "another configuration's copy";
    EXPECT_EQ(bytes.at(level.fanOffset), 65);
    EXPECT_EQ(bytes.size(), 6u * 4 + 1);

    const LevelWrite refused =
        writeLevels(fx, {{{0x60, LevelField::Core}, "400"}, {{0x60, LevelField::Voltage}, "1.50"}});
    EXPECT_TRUE(refused.writes.empty());
    ASSERT_TRUE(refused.failure);
    EXPECT_EQ(refused.failure->level, (LevelCell{0x60, LevelField::Voltage}));
    EXPECT_NE(refused.failure->reason.find("not in the voltage table"), std::string::npos);

    const LevelWrite lacking = writeLevels(fx, {{{0x90, LevelField::Core}, "400"}});
    EXPECT_TRUE(lacking.writes.empty());
    ASSERT_TRUE(lacking.failure);
    EXPECT_NE(lacking.failure->reason.find("no level 90h"), std::string::npos);
}

} // namespace
} // namespace zfx
