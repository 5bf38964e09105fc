// SPDX-License-Identifier: MIT
// The performance levels as the window edits them: each value of a level written where the level
// keeps it and nowhere else, the mode boxes and lists that show the same value, undo.
#include "structure/performance_levels.h"
#include "test_support.h"
#include "text/number_text.h"

#include <gtest/gtest.h>

#include <numeric>
#include <set>

namespace zfx {
namespace {

using test::Editor;
using Offsets = std::set<std::int32_t>;

LevelCell cellNamed(const std::string& name) {
    const LevelCellRead read = readLevelCell(name);
    EXPECT_TRUE(read.cell) << name << ": " << read.error;
    return read.cell.value_or(LevelCell{});
}

// The bytes the planned save changes against the opened image, the checksum byte left out.
Offsets changedBytes(const Editor& e) {
    Offsets changed;
    const auto& plan = e.model.plannedSave().plan;
    if (!plan) return changed;
    const BiosImage& before = e.analysis().image;
    const BiosImage& after = plan->after.image;
    for (std::int32_t i = 0; i + 1 < before.size(); ++i)
        if (before.at(i) != after.at(i)) changed.insert(i);
    return changed;
}

std::uint32_t plannedValue(const Editor& e, const LevelPlace& place) {
    const BiosImage& after = e.model.plannedSave().plan->after.image;
    std::uint32_t value = 0;
    for (std::int32_t i = place.width - 1; i >= 0; --i)
        value = value << 8 | after.at(place.offset + i);
    return value;
}

Offsets bytesOf(const std::vector<LevelPlace>& places) {
    Offsets bytes;
    for (const LevelPlace& place : places)
        for (std::int32_t i = 0; i < place.width; ++i)
            bytes.insert(place.offset + i);
    return bytes;
}

bool checksumHolds(const Editor& e) {
    const auto& bytes = e.model.plannedSave().plan->after.image.bytes();
    return std::accumulate(bytes.begin(), bytes.end(), 0u) % 256 == 0;
}

// A value the cell does not hold yet that the save takes: clocks 7 MHz up, another voltage of the
// table, the fan 10 % up (30 % down from 90 %). Absent for a voltage when the table has no other.
struct NewValue {
    std::string text;
    std::uint32_t stored;
};
std::optional<NewValue> newValueFor(const EditableLevels& levels, const LevelCell& cell) {
    const std::uint32_t file = *fileValue(levels, cell);
    if (cell.field == LevelField::Voltage) {
        for (const std::uint8_t v : levels.tableVoltages)
            if (v != file) return NewValue{fixedHundredthsText(v), v};
        return std::nullopt;
    }
    if (cell.field == LevelField::Fan) {
        const std::uint32_t fan = file >= 90 ? file - 30 : file + 10;
        return NewValue{std::to_string(fan), fan};
    }
    const std::uint32_t mhz = (levels.hundredths ? file / 100 : file) + 7;
    return NewValue{std::to_string(mhz), levels.hundredths ? mhz * 100 : mhz};
}

std::vector<std::string> samplesWithLevels() {
    std::vector<std::string> names;
    for (const std::string& name : test::supportedSampleNames()) {
        Editor e;
        e.open(test::sampleBytes(name));
        if (e.model.levels()) names.push_back(name);
    }
    return names;
}

// Every value of every level, set on its own: the save writes the value into the cell's bytes and
// changes no other byte but the checksum; undo takes it back.
TEST(LevelEdits, EveryValueOfEveryLevelLandsInItsOwnBytesAlone) {
    const std::vector<std::string> names = samplesWithLevels();
    ASSERT_GE(names.size(), 10u);
    for (const std::string& name : names) {
        Editor e;
        e.open(test::sampleBytes(name));
        const EditableLevels& levels = *e.model.levels();
        for (const EditableLevel& level : levels.levels)
            for (const LevelCell& cell : cellsOf(level)) {
                SCOPED_TRACE(name + " " + levelCellName(cell));
                const std::optional<NewValue> value = newValueFor(levels, cell);
                if (!value) continue;
                ASSERT_EQ(e.model.setLevelText(cell, value->text), std::nullopt);
                EXPECT_EQ(e.model.levelText(cell), value->text);
                EXPECT_TRUE(e.model.levelChangedFromFile(cell));
                ASSERT_TRUE(e.model.plannedSave().plan) << e.model.levelRefusal(cell);
                const std::vector<LevelPlace> places = cellPlaces(levels, cell);
                ASSERT_FALSE(places.empty());
                for (const LevelPlace& place : places)
                    EXPECT_EQ(plannedValue(e, place), value->stored) << hexOffset(place.offset);
                const Offsets changed = changedBytes(e);
                const Offsets own = bytesOf(places);
                EXPECT_FALSE(changed.empty());
                EXPECT_TRUE(std::includes(own.begin(), own.end(), changed.begin(), changed.end()));
                EXPECT_TRUE(checksumHolds(e));
                e.model.undo();
                EXPECT_FALSE(e.model.levelChangedFromFile(cell));
                EXPECT_TRUE(changedBytes(e).empty());
            }
    }
}

// The level's memory clock writes every copy that holds the clock it shows, memory.K one copy.
struct CopiesCase {
    std::string name;
    std::string sample;
    std::string cell;
    std::string text;
    std::uint32_t stored;
    std::vector<int> written;   // copies that hold the value after
    std::vector<int> untouched; // copies of other memory configurations, left as they were
};

void PrintTo(const CopiesCase& c, std::ostream* os) {
    *os << c.name;
}

class LevelCopies : public testing::TestWithParam<CopiesCase> {};

TEST_P(LevelCopies, TheValueReachesItsCopiesAndNoOther) {
    const CopiesCase& c = GetParam();
    Editor e;
    e.open(test::sampleBytes(c.sample));
    ASSERT_TRUE(e.model.levels());
    const LevelCell cell = cellNamed(c.cell);
    const EditableLevel& level = *e.model.levels()->find(cell.level);
    ASSERT_EQ(level.memory.size(), 8u);
    ASSERT_EQ(e.model.setLevelText(cell, c.text), std::nullopt);
    ASSERT_TRUE(e.model.plannedSave().plan);
    Offsets expected;
    for (const int k : c.written) {
        const PerfClock& copy = level.memory[static_cast<std::size_t>(k)];
        EXPECT_EQ(plannedValue(e, {copy.offset, copy.width}), c.stored) << "copy " << k;
        expected.insert({copy.offset, copy.offset + 1});
    }
    for (const int k : c.untouched) {
        const PerfClock& copy = level.memory[static_cast<std::size_t>(k)];
        EXPECT_EQ(plannedValue(e, {copy.offset, copy.width}), copy.value) << "copy " << k;
    }
    // The clocks need no more than their low two bytes: those change, nothing else.
    EXPECT_EQ(changedBytes(e), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, LevelCopies,
    testing::Values(
        CopiesCase{"CopiesThatAgree",
                   "fx5700-levels-only.rom",
                   "20h:memory",
                   "280",
                   28000,
                   {0, 1, 2, 3, 4, 5, 6, 7},
                   {}},
        CopiesCase{"MostCopiesWin",
                   "fx5700-levels-only.rom",
                   "60h:memory",
                   "360",
                   36000,
                   {2, 3, 4, 5, 6, 7},
                   {0, 1}},
        CopiesCase{"ATieGoesToTheLowestCopy",
                   "fx5900-xt.rom",
                   "20h:memory",
                   "360",
                   36000,
                   {0, 1, 2, 3},
                   {4, 5, 6, 7}},
        CopiesCase{"ACopyOfAnotherConfiguration",
                   "fx5700-levels-only.rom",
                   "60h:memory.0",
                   "310",
                   31000,
                   {0},
                   {1, 2, 3, 4, 5, 6, 7}},
        CopiesCase{"AShownCopyAlone",
                   "fx5700-levels-only.rom",
                   "60h:memory.5",
                   "360",
                   36000,
                   {5},
                   {0, 1, 2, 3, 4, 6, 7}},
        CopiesCase{
            "ACopyOfALinkedLevel", "fx5900-xt.rom", "20h:memory.6", "320", 32000, {6}, {0, 1, 2, 3, 4, 5, 7}},
        CopiesCase{"ACopyInHundredths",
                   "fx5700-levels-only.rom",
                   "80h:memory.7",
                   "451.25",
                   45125,
                   {7},
                   {0, 1, 2, 3, 4, 5, 6}}),
    [](const testing::TestParamInfo<CopiesCase>& c) { return c.param.name; });

// The level's memory clock and one of its copies: the value given later wins in the copy.
TEST(LevelCopies, TheLaterOfMemoryAndMemoryKWins) {
    const std::string sample = "fx5700-levels-only.rom";
    const LevelCell memory = cellNamed("60h:memory");
    const LevelCell copy3 = cellNamed("60h:memory.3");
    const auto copyValue = [](const Editor& e, int k) {
        const PerfClock& copy = e.model.levels()->find(0x60)->memory[static_cast<std::size_t>(k)];
        return plannedValue(e, {copy.offset, copy.width});
    };
    {
        Editor e;
        e.open(test::sampleBytes(sample));
        e.model.setLevelText(memory, "360");
        e.model.setLevelText(copy3, "370");
        EXPECT_EQ(e.model.levelText(copy3), "370");
        EXPECT_EQ(e.model.levelText(cellNamed("60h:memory.4")), "360");
        EXPECT_EQ(copyValue(e, 3), 37000u);
        EXPECT_EQ(copyValue(e, 4), 36000u);
    }
    {
        Editor e;
        e.open(test::sampleBytes(sample));
        e.model.setLevelText(copy3, "370");
        e.model.setLevelText(memory, "360");
        EXPECT_EQ(e.model.levelText(copy3), "360");
        EXPECT_EQ(copyValue(e, 3), 36000u);
        EXPECT_EQ(copyValue(e, 0), 30000u) << "copy 0 holds another configuration's clock";
    }
}

// A level's voltage is one of the voltage table's: another is refused, and nothing is written.
struct VoltageCase {
    std::string sample;
    std::string cell;
    std::string text;
    std::optional<std::uint8_t> written; // absent: refused
};

TEST(LevelVoltages, OnlyTheVoltageTablesVoltagesAreTaken) {
    const std::vector<VoltageCase> cases{
        {"fx5700-levels-only.rom", "20h:voltage", "1.40", 0x8C},
        {"fx5700-levels-only.rom", "20h:voltage", "1.3V", 0x82},
        {"fx5700-levels-only.rom", "20h:voltage", "1.50", std::nullopt},
        {"gf6800-gt-levels-only.rom", "80h:voltage", "1.20", 0x78},
        {"gf6800-gt-levels-only.rom", "80h:voltage", "1.35", std::nullopt},
        {"fx5600.rom", "80h:voltage", "1.29", 0x81},
        {"fx5600.rom", "80h:voltage", "1.30", std::nullopt},
        {"fx5950-ultra.rom", "20h:voltage", "1.60", std::nullopt},
    };
    for (const VoltageCase& c : cases) {
        SCOPED_TRACE(c.sample + " " + c.cell + " " + c.text);
        Editor e;
        e.open(test::sampleBytes(c.sample));
        const LevelCell cell = cellNamed(c.cell);
        const std::string before = e.model.levelText(cell);
        const std::optional<std::string> refused = e.model.setLevelText(cell, c.text);
        ASSERT_TRUE(e.model.plannedSave().plan);
        if (!c.written) {
            ASSERT_TRUE(refused);
            EXPECT_NE(refused->find("voltage"), std::string::npos) << *refused;
            EXPECT_EQ(e.model.levelText(cell), before);
            EXPECT_FALSE(e.model.levelChangedFromFile(cell));
            EXPECT_TRUE(changedBytes(e).empty());
            continue;
        }
        EXPECT_EQ(refused, std::nullopt);
        const std::int32_t at = e.model.levels()->find(cell.level)->voltageOffset;
        EXPECT_EQ(plannedValue(e, {at, 1}), *c.written);
        const Offsets changed = changedBytes(e);
        EXPECT_TRUE(changed.empty() || changed == Offsets{at}) << "the voltage table is never rewritten";
    }
}

// What the image lacks, set names why, and nothing changes.
TEST(LevelEdits, AValueTheImageLacksIsRefusedWithTheReason) {
    struct Case {
        std::vector<std::uint8_t> image;
        std::string cell;
        std::string reason;
    };
    const std::vector<Case> cases{
        {test::sampleBytes("fx5700-levels-only.rom"), "90h:core",
         "the image has no level 90h (its levels are 20h, 60h, 80h)."},
        {test::sampleBytes("fx5700-levels-only.rom"), "20h:memory.8",
         "level 20h keeps 8 memory copies, memory.0 to memory.7."},
        {test::sampleBytes("gf6800-gt-levels-only.rom"), "60h:memory.1",
         "level 60h keeps 1 memory copy, memory.0."},
        {test::sampleBytes("fx5800.rom"), "20h:voltage",
         "level 20h carries no voltage of its own in this table."},
        {test::sampleWithoutStructure("fx5700.rom"), "20h:core",
         "the image has no performance table whose levels could be changed."},
        {test::sampleBytes("unsupported.rom"), "20h:fan",
         "the image has no performance table whose levels could be changed."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cell + ": " + c.reason);
        Editor e;
        e.open(c.image);
        EXPECT_EQ(e.model.setLevelText(cellNamed(c.cell), "300"), c.reason);
        EXPECT_FALSE(e.model.levelChangedFromFile(cellNamed(c.cell)));
        EXPECT_EQ(e.model.levelText(cellNamed(c.cell)), "");
        EXPECT_FALSE(e.model.canUndo());
    }
}

// Where the byte patterns find no clock table but the structure decodes, the levels are the values
// to edit: the mode clock boxes show "--", and no level value is tied to them.
TEST(LevelEdits, StructureOnlyImagesKeepTheirLevelsEditable) {
    struct Case {
        std::string sample;
        std::vector<std::pair<std::string, std::string>> texts; // cell, what it shows
    };
    const std::vector<Case> cases{
        {"fx5700-levels-only.rom",
         {{"20h:core", "300"},
          {"20h:memory", "275"},
          {"20h:fan", "40"},
          {"20h:voltage", "1.20"},
          {"60h:memory", "350"},
          {"60h:memory.1", "300"},
          {"60h:fan", "60"},
          {"80h:core", "475"},
          {"80h:fan", "100"},
          {"80h:voltage", "1.40"}}},
        {"gf6800-gt-levels-only.rom",
         {{"20h:core", "300"},
          {"20h:memory", "350"},
          {"20h:fan", "40"},
          {"60h:memory.0", "500"},
          {"60h:voltage", "1.30"},
          {"80h:core", "400"},
          {"80h:memory", "550"},
          {"80h:fan", "100"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sample);
        Editor e;
        e.open(test::sampleBytes(c.sample));
        for (const Control box : kClockBoxes)
            EXPECT_EQ(e.form().edit(box).text, "--") << captionOf(box);
        ASSERT_TRUE(e.model.levels());
        EXPECT_EQ(e.model.levels()->levels.size(), 3u);
        for (const auto& [name, shown] : c.texts) {
            EXPECT_EQ(e.model.levelText(cellNamed(name)), shown) << name;
            EXPECT_EQ(e.model.linkedControl(cellNamed(name)), std::nullopt) << name;
        }
        ASSERT_EQ(e.model.setLevelText(cellNamed("80h:core"), "480"), std::nullopt);
        ASSERT_TRUE(e.model.plannedSave().plan);
        EXPECT_FALSE(e.model.plannedSave().plan->levelWrites.empty());
        const std::vector<std::uint8_t> saved = e.save("out.rom");
        ASSERT_FALSE(saved.empty());
        Editor reopened;
        reopened.open(saved);
        EXPECT_EQ(reopened.model.levelText(cellNamed("80h:core")), "480");
    }
}

// A level value that a mode box or list shows is one value with it: each shows what was set in
// the other, and the later of the two wins, in either order.
TEST(LevelLinks, TheModeAndTheLevelShowOneValue) {
    std::size_t boxes = 0;
    for (const std::string& name : samplesWithLevels()) {
        Editor e;
        e.open(test::sampleBytes(name));
        for (const LevelLink& link : e.analysis().links) {
            const std::optional<Control> control = e.model.linkedControl(link.cell);
            if (!control || controlInfo(*control).kind != ControlKind::EditBox) continue;
            SCOPED_TRACE(name + " " + levelCellName(link.cell));
            ++boxes;
            const std::string file = e.form().edit(*control).text;
            const int mhz = std::stoi(file);
            e.model.typeText(*control, std::to_string(mhz + 3));
            EXPECT_EQ(e.model.levelText(link.cell), std::to_string(mhz + 3));
            EXPECT_TRUE(e.model.levelChangedFromFile(link.cell));
            ASSERT_EQ(e.model.setLevelText(link.cell, std::to_string(mhz + 5)), std::nullopt);
            EXPECT_EQ(e.form().edit(*control).text, std::to_string(mhz + 5));
            EXPECT_EQ(e.model.levelText(link.cell), std::to_string(mhz + 5));
            e.model.typeText(*control, std::to_string(mhz + 2));
            EXPECT_EQ(e.model.levelText(link.cell), std::to_string(mhz + 2));
            ASSERT_TRUE(e.model.plannedSave().plan);
            const std::vector<LevelPlace> places = cellPlaces(*e.model.levels(), link.cell);
            const std::uint32_t stored = e.model.levels()->hundredths
                                             ? static_cast<std::uint32_t>(mhz + 2) * 100
                                             : static_cast<std::uint32_t>(mhz + 2);
            for (const LevelPlace& place : places)
                EXPECT_EQ(plannedValue(e, place), stored) << hexOffset(place.offset);
            e.model.revertLevel(link.cell);
            EXPECT_EQ(e.form().edit(*control).text, file);
            EXPECT_FALSE(e.model.levelChangedFromFile(link.cell));
        }
    }
    EXPECT_GT(boxes, 10u);
}

// The 5600's one memory box writes the memory clock of every level, though it shows level 20h's
// alone: the other levels show what a save would write, changed, and keep it as their own.
TEST(LevelLinks, ALevelABoxWritesShowsTheBoxsValue) {
    Editor e;
    e.open(test::sampleBytes("fx5600.rom"));
    const LevelCell memory80 = cellNamed("80h:memory");
    ASSERT_EQ(e.model.levelText(memory80), "250");
    e.model.typeText(Control::Mem2D, "275");
    EXPECT_EQ(e.model.levelText(memory80), "275");
    EXPECT_EQ(e.model.levelText(cellNamed("80h:memory.5")), "275");
    EXPECT_TRUE(e.model.levelChangedFromFile(memory80));
    EXPECT_FALSE(e.model.levelChangedFromFile(cellNamed("80h:core")));
    // The level's own value given after the box wins, and only in that level.
    ASSERT_EQ(e.model.setLevelText(memory80, "300"), std::nullopt);
    EXPECT_EQ(e.model.levelText(memory80), "300");
    EXPECT_EQ(e.model.levelText(cellNamed("60h:memory")), "275");
    e.model.typeText(Control::Mem2D, "250");
    EXPECT_EQ(e.model.levelText(cellNamed("60h:memory")), "250");
    EXPECT_FALSE(e.model.levelChangedFromFile(cellNamed("60h:memory")));
}

TEST(LevelLinks, ALevelsVoltageChoosesTheModesListEntry) {
    Editor e;
    e.open(test::sampleBytes("fx5950-ultra.rom"));
    const LevelCell voltage = cellNamed("80h:voltage");
    const std::optional<Control> list = e.model.linkedControl(voltage);
    ASSERT_TRUE(list);
    ASSERT_EQ(controlInfo(*list).kind, ControlKind::List);
    ASSERT_EQ(e.model.levelText(voltage), "1.40");
    ASSERT_EQ(e.model.setLevelText(voltage, "1.20"), std::nullopt);
    const ComboBox& combo = e.form().combo(*list);
    ASSERT_GE(combo.selected, 0);
    EXPECT_EQ(combo.entries.at(static_cast<std::size_t>(combo.selected)), "1.2V");
    EXPECT_EQ(e.model.levelText(voltage), "1.20");
    // The list chosen later wins: the level shows its entry.
    e.model.selectEntry(*list, combo.selected + 1);
    EXPECT_EQ(e.model.levelText(voltage), "1.30");
    const std::int32_t at = e.model.levels()->find(0x80)->voltageOffset;
    EXPECT_EQ(plannedValue(e, {at, 1}), 0x82u);
}

// A level edit is a step of the history as a box's is: undo takes it back, redo puts it again.
TEST(LevelEdits, UndoAndRedoTakeALevelEditBackAndAgain) {
    for (const std::string cellName : {"60h:fan", "80h:core", "60h:memory.0"}) {
        SCOPED_TRACE(cellName);
        Editor e;
        e.open(test::sampleBytes("fx5700-levels-only.rom"));
        const LevelCell cell = cellNamed(cellName);
        const std::string file = e.model.levelText(cell);
        ASSERT_EQ(e.model.setLevelText(cell, "77"), std::nullopt);
        ASSERT_TRUE(e.model.canUndo());
        const Offsets edited = changedBytes(e);
        ASSERT_FALSE(edited.empty());
        e.model.undo();
        EXPECT_EQ(e.model.levelText(cell), file);
        EXPECT_TRUE(changedBytes(e).empty());
        ASSERT_TRUE(e.model.canRedo());
        e.model.redo();
        EXPECT_EQ(e.model.levelText(cell), "77");
        EXPECT_EQ(changedBytes(e), edited);
    }
}

} // namespace
} // namespace zfx
