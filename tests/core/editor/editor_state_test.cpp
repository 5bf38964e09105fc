// SPDX-License-Identifier: MIT
#include "editor/editor_state.h"
#include "structure/performance_levels.h"
#include "test_support.h"
#include "text/number_text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace zfx {
namespace {

using test::Editor;
using Json = nlohmann::ordered_json;

Json levelTableOf(const EditorModel& model) {
    return windowViewJson(model)["levelTable"];
}

// The cell of the table that the name gives; null when the table has none.
Json cellNamed(const Json& table, const std::string& name) {
    for (const Json& level : table["levels"])
        for (const Json& cell : level["cells"])
            if (cell["name"] == name) return cell;
    return nullptr;
}

LevelCell cellOf(const std::string& name) {
    const LevelCellRead read = readLevelCell(name);
    EXPECT_TRUE(read.cell) << name << ": " << read.error;
    return read.cell.value_or(LevelCell{});
}

// Every value the table gives for a cell, against what the model says of it.
void expectCellAsTheModelShowsIt(const EditorModel& model, const Json& cell, const LevelCell& expected,
                                 const std::string& where) {
    SCOPED_TRACE(where + " " + levelCellName(expected));
    EXPECT_EQ(cell["name"], levelCellName(expected));
    EXPECT_EQ(cell["text"], model.levelText(expected));
    EXPECT_EQ(cell["unit"], levelUnit(expected));
    EXPECT_EQ(cell["changed"], model.levelChangedFromFile(expected));
    EXPECT_EQ(cell["refusal"], model.levelRefusal(expected));
    EXPECT_EQ(cell["hint"], model.levelHint(expected));
    EXPECT_EQ(cell["place"], model.levelPlaceOf(expected));
    const std::optional<Control> linked = model.linkedControl(expected);
    EXPECT_EQ(cell["linked"], linked ? Json(std::string(controlInfo(*linked).jsonKey)) : Json(nullptr));
    EXPECT_EQ(cell["copy"], expected.field == LevelField::MemoryCopy ? Json(expected.copy) : Json(nullptr));
}

void expectTableAsTheModelShowsIt(const EditorModel& model, const std::string& where) {
    const Json table = levelTableOf(model);
    const EditableLevels& levels = *model.levels();
    std::vector<std::string> voltages;
    for (const std::uint8_t voltage : levels.tableVoltages)
        voltages.push_back(fixedHundredthsText(voltage));
    EXPECT_EQ(table["voltages"], voltages) << where;
    ASSERT_EQ(table["levels"].size(), levels.levels.size()) << where;
    for (std::size_t i = 0; i < levels.levels.size(); ++i) {
        const Json& row = table["levels"][i];
        EXPECT_EQ(row["id"], hexByte(levels.levels[i].id)) << where;
        const std::vector<LevelCell> cells = cellsOf(levels.levels[i]);
        ASSERT_EQ(row["cells"].size(), cells.size()) << where << " level " << row["id"];
        for (std::size_t k = 0; k < cells.size(); ++k)
            expectCellAsTheModelShowsIt(model, row["cells"][k], cells[k], where);
    }
}

TEST(LevelTableJson, GivesEveryValueOfEveryLevelAsTheModelShowsIt) {
    int withLevels = 0;
    for (const std::string& name : test::sampleNames()) {
        Editor e;
        e.open(test::sampleBytes(name), name);
        if (!e.model.levels()) {
            EXPECT_TRUE(levelTableOf(e.model).is_null()) << name;
            continue;
        }
        ++withLevels;
        expectTableAsTheModelShowsIt(e.model, name);
    }
    EXPECT_GT(withLevels, 0);
}

TEST(LevelTableJson, IsNullWhereTheImageHasNoLevelsToChange) {
    Editor none;
    EXPECT_TRUE(levelTableOf(none.model).is_null()) << "before an open";
    for (const char* name : {"fx5700.rom", "gf6800-ultra.rom"}) {
        Editor e;
        e.open(test::sampleWithoutStructure(name), name);
        EXPECT_FALSE(e.model.levels()) << name;
        EXPECT_TRUE(levelTableOf(e.model).is_null()) << name << " without its structure";
    }
    // The preview of the levels stays where it was.
    Editor e;
    e.open(test::sampleBytes("fx5700.rom"));
    EXPECT_TRUE(windowViewJson(e.model)["levels"].contains("rows"));
}

// One edit and what the cells show after it: its text, whether it differs from the file, whether
// the save would refuse it.
struct Shown {
    std::string cell;
    std::string text;
    bool changed;
    bool refused;
};
struct LevelEdit {
    std::string what;
    std::string sample;
    std::function<void(EditorModel&)> edit;
    std::vector<Shown> shown;
    std::vector<std::pair<Control, std::string>> boxes; // the mode boxes' texts after it
};

std::function<void(EditorModel&)> setLevel(std::string name, std::string text) {
    return
        [=](EditorModel& model) { EXPECT_EQ(model.setLevelText(cellOf(name), text), std::nullopt) << name; };
}

std::function<void(EditorModel&)> typeInto(Control box, std::string text) {
    return [=](EditorModel& model) {
        model.typeText(box, text);
        model.keyReleased(box);
    };
}

TEST(LevelTableJson, ShowsEachEditInItsCellsAndTheLinkedOnes) {
    const std::vector<LevelEdit> edits{
        {"a core clock the 2D box shows, set in the table",
         "fx5700.rom",
         setLevel("20h:core", "301"),
         {{"20h:core", "301", true, false}, {"60h:core", "300", false, false}},
         {{Control::Core2D, "301"}, {Control::CoreThrottle, "300"}}},
        {"the 3D core clock typed into its box",
         "fx5700.rom",
         typeInto(Control::Core3D, "480"),
         {{"80h:core", "480", true, false}, {"20h:core", "300", false, false}},
         {}},
        {"the memory clock of a level no box shows: every copy that holds it follows",
         "fx5700.rom",
         setLevel("60h:memory", "455.25"),
         {{"60h:memory", "455.25", true, false},
          {"60h:memory.0", "455.25", true, false},
          {"60h:memory.7", "455.25", true, false},
          {"80h:memory", "450", false, false}},
         {}},
        {"one memory copy alone",
         "fx5700.rom",
         setLevel("60h:memory.3", "460"),
         {{"60h:memory.3", "460", true, false},
          {"60h:memory", "450", false, false},
          {"60h:memory.2", "450", false, false}},
         {}},
        {"a memory clock that is no number: refused, with the copies that follow it",
         "fx5700.rom",
         setLevel("80h:memory", "fast"),
         {{"80h:memory", "fast", true, true},
          {"80h:memory.5", "fast", true, true},
          {"60h:memory", "450", false, false}},
         {}},
        {"a voltage of the table: the 2D list follows",
         "fx5700.rom",
         setLevel("20h:voltage", "1.30"),
         {{"20h:voltage", "1.30", true, false}, {"60h:voltage", "1.30", false, false}},
         {}},
        {"a fan",
         "fx5700.rom",
         setLevel("80h:fan", "60"),
         {{"80h:fan", "60", true, false}, {"60h:fan", "0", false, false}},
         {}},
        {"a fan past 100 %", "fx5700.rom", setLevel("80h:fan", "120"), {{"80h:fan", "120", true, true}}, {}},
        {"a value set and put back",
         "fx5700.rom",
         [](EditorModel& model) {
             setLevel("60h:memory.3", "460")(model);
             setLevel("20h:core", "310")(model);
             model.revertLevel(cellOf("60h:memory.3"));
             model.revertLevel(cellOf("20h:core"));
         },
         {{"60h:memory.3", "450", false, false}, {"20h:core", "300", false, false}},
         {{Control::Core2D, "300"}}},
        {"copies that disagree: the memory clock writes those that hold it",
         "fx5900-xt.rom",
         setLevel("20h:memory", "360"),
         {{"20h:memory", "360", true, false},
          {"20h:memory.3", "360", true, false},
          {"20h:memory.4", "300", false, false}},
         {{Control::Mem2D, "360"}}},
        {"whole MHz on GeForce 6",
         "gf6800-ultra.rom",
         setLevel("20h:memory.0", "551.5"),
         {{"20h:memory.0", "551.5", true, true}, {"20h:memory", "550", false, false}},
         {}},
    };
    for (const LevelEdit& edit : edits) {
        SCOPED_TRACE(edit.what);
        Editor e;
        e.open(test::sampleBytes(edit.sample), edit.sample);
        ASSERT_TRUE(e.model.levels());
        edit.edit(e.model);
        const Json table = levelTableOf(e.model);
        for (const Shown& shown : edit.shown) {
            const Json cell = cellNamed(table, shown.cell);
            ASSERT_FALSE(cell.is_null()) << shown.cell;
            EXPECT_EQ(cell["text"], shown.text) << shown.cell;
            EXPECT_EQ(cell["changed"], shown.changed) << shown.cell;
            EXPECT_EQ(cell["refusal"] != "", shown.refused) << shown.cell << ": " << cell["refusal"];
        }
        for (const auto& [box, text] : edit.boxes)
            EXPECT_EQ(e.form().edit(box).text, text) << controlInfo(box).jsonKey;
        expectTableAsTheModelShowsIt(e.model, edit.what);
    }
}

} // namespace
} // namespace zfx
