// SPDX-License-Identifier: MIT
// Edits that reach the card: where the performance levels keep a value, the save writes it there.
#include "structure/level_places.h"

#include "analysis/image_comparison.h"
#include "save/risky_values.h"
#include "save/save_plan.h"
#include "test_support.h"
#include "text/number_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace zfx {
namespace {

using Bytes = std::vector<std::uint8_t>;

ImageAnalysis analysed(const Bytes& bytes) {
    return analyseImage(BiosImage(bytes));
}

SaveEdits editsOf(const ImageAnalysis& opened, FieldTexts texts = {},
                  std::array<int, 3> selections = {-1, -1, -1}) {
    SaveEdits edits;
    if (opened.data.voltages.table) edits.offered = opened.data.voltages.table->offered;
    edits.texts = std::move(texts);
    edits.selections = selections;
    return edits;
}

std::set<std::int32_t> changedBytes(const BiosImage& before, const BiosImage& after) {
    std::set<std::int32_t> changed;
    for (std::int32_t i = 0; i + 1 < before.size(); ++i)
        if (before.at(i) != after.at(i)) changed.insert(i);
    return changed;
}

std::set<std::int32_t> wordsAt(const std::vector<std::int32_t>& offsets) {
    std::set<std::int32_t> bytes;
    for (const std::int32_t at : offsets) {
        bytes.insert(at);
        bytes.insert(at + 1);
    }
    return bytes;
}

// --- every copy ---

struct CopiesCase {
    std::string name;
    std::string sample;
    CardField field;
    std::string text;
    std::uint32_t stored;                // what the written copies hold after
    std::vector<std::int32_t> written;   // every copy written
    std::vector<std::int32_t> untouched; // copies of another configuration, left
    std::string line;                    // the change list's line
};

void PrintTo(const CopiesCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<std::int32_t> eightFrom(std::int32_t first) {
    std::vector<std::int32_t> copies;
    for (std::int32_t i = 0; i < 8; ++i)
        copies.push_back(first + 4 * i);
    return copies;
}

std::vector<std::int32_t> joined(std::initializer_list<std::vector<std::int32_t>> parts) {
    std::vector<std::int32_t> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class EveryCopy : public ::testing::TestWithParam<CopiesCase> {};

TEST_P(EveryCopy, AMemoryClockReachesEveryCopyThatHeldTheShownValueAndNoOther) {
    const CopiesCase& c = GetParam();
    const ImageAnalysis opened = analysed(test::sampleBytes(c.sample));
    ASSERT_EQ(opened.structureCheck.line(), "Tables confirmed by the BIOS structure");
    const SavePlanResult result = planSave(opened, opened.data, editsOf(opened, {{c.field, c.text}}));
    ASSERT_TRUE(result.plan);
    const SavePlan& plan = *result.plan;
    EXPECT_TRUE(plan.objections.empty());
    EXPECT_EQ(changedBytes(opened.image, plan.after.image), wordsAt(c.written));
    for (const std::int32_t at : c.written)
        EXPECT_EQ(plan.after.image.word(at), c.stored) << hexOffset(at);
    for (const std::int32_t at : c.untouched)
        EXPECT_EQ(plan.after.image.word(at), opened.image.word(at)) << hexOffset(at);
    // The new image still agrees with its own structure, and the change list names every place.
    EXPECT_EQ(plan.after.structureCheck.line(), "Tables confirmed by the BIOS structure");
    const ImageComparison compared = compareImages(opened, plan.after, plan.checksumOffset);
    ASSERT_EQ(compared.fields.size(), 1u);
    EXPECT_EQ(changeLine(compared.fields[0]), c.line);
    EXPECT_TRUE(compared.otherBytes.empty());
    if (c.untouched.empty()) {
        EXPECT_TRUE(plan.notes.empty());
    } else {
        ASSERT_EQ(plan.notes.size(), 1u);
        EXPECT_NE(plan.notes[0].find("another memory configuration"), std::string::npos) << plan.notes[0];
        EXPECT_NE(plan.notes[0].find("300 MHz at " + hexOffset(c.untouched.front())), std::string::npos)
            << plan.notes[0];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Samples, EveryCopy,
    ::testing::Values(
        // One box, three levels, eight copies each, all at 250 MHz.
        CopiesCase{"fx5600_all_levels",
                   "fx5600.rom",
                   CardField::Mem2D,
                   "275",
                   27500,
                   joined({eightFrom(0x2007), eightFrom(0x2040), eightFrom(0x2079)}),
                   {},
                   "2D memory clock: 250 -> 275 MHz at 24 places: levels 20h, 60h, 80h, 8 copies each"},
        CopiesCase{"fx5950_one_level",
                   "fx5950-ultra.rom",
                   CardField::Mem2D,
                   "500",
                   50000,
                   eightFrom(0x2007),
                   {},
                   "2D memory clock: 475 -> 500 MHz at 8 places: level 20h, 8 copies"},
        // Two memory configurations: the copies at 300 MHz are another one's.
        CopiesCase{"fx5900xt_copies_differ",
                   "fx5900-xt.rom",
                   CardField::Mem2D,
                   "375",
                   37500,
                   {0x2007, 0x200B, 0x200F, 0x2013},
                   {0x2017, 0x201B, 0x201F, 0x2023},
                   "2D memory clock: 350 -> 375 MHz at 4 places: level 20h, 4 copies"},
        // A core clock has one copy: its place is the patterns'.
        CopiesCase{"fx5600_core",
                   "fx5600.rom",
                   CardField::Core3D,
                   "330",
                   33000,
                   {0x2075},
                   {},
                   "3D core clock: 325 -> 330 MHz at 2075h"},
        CopiesCase{"gf6800_memory",
                   "gf6800-gt.rom",
                   CardField::Mem3D,
                   "760",
                   760,
                   {0x200D},
                   {},
                   "3D memory clock: 500 -> 760 MHz at 200Dh"}),
    [](const auto& param) { return param.param.name; });

TEST(EveryCopy, WithoutAStructureTheSaveWritesThePatternsPlacesOnly) {
    const Bytes bare = test::sampleWithoutStructure("fx5600.rom");
    const ImageAnalysis opened = analysed(bare);
    EXPECT_TRUE(opened.places.clocks.empty());
    const SavePlanResult result = planSave(opened, opened.data, editsOf(opened, {{CardField::Mem2D, "275"}}));
    ASSERT_TRUE(result.plan);
    // The eighth copy of each level, as the byte patterns say.
    EXPECT_EQ(changedBytes(opened.image, result.plan->after.image), wordsAt({0x2023, 0x205C, 0x2095}));
}

// --- the level's own voltage ---

TEST(LevelVoltage, AModeSetsItsLevelsVoltageAndLeavesTheTableAsItWas) {
    const ImageAnalysis opened = analysed(test::sampleBytes("fx5600.rom"));
    ASSERT_TRUE(opened.places.levelVoltages);
    // The 3D level (80h) asks for 1.44 V; the lists offer the table's 1.29 V and 1.44 V.
    const SavePlanResult result = planSave(opened, opened.data, editsOf(opened, {}, {-1, -1, 0}));
    ASSERT_TRUE(result.plan);
    const SavePlan& plan = *result.plan;
    EXPECT_EQ(changedBytes(opened.image, plan.after.image), (std::set<std::int32_t>{0x20AC}));
    EXPECT_EQ(plan.after.image.at(0x20AC), 0x81);
    EXPECT_EQ(plan.after.structureCheck.line(), "Tables confirmed by the BIOS structure");

    // Reopened, the 3D list shows 1.29 V, and 1.44 V can still be chosen.
    test::Editor e;
    e.open(plan.after.image.bytes());
    EXPECT_EQ(e.form().combo(Control::Voltage3D).entries, (std::vector<std::string>{"1.29V", "1.44V"}));
    EXPECT_EQ(e.form().combo(Control::Voltage3D).selected, 0);
    EXPECT_EQ(e.form().combo(Control::Voltage2D).selected, 0);
}

TEST(LevelVoltage, ASixEightHundredLevelKeepsItsVoltageInItsFifthByte) {
    // A vendor's 6800 keeps its 3D clocks in the first level (at 2002h), its 2D core in the second.
    const ImageAnalysis opened = analysed(test::sampleBytes("gf6800.rom"));
    ASSERT_TRUE(opened.places.levelVoltages);
    const SavePlanResult result = planSave(opened, opened.data, editsOf(opened, {}, {1, -1, 2}));
    ASSERT_TRUE(result.plan);
    const SavePlan& plan = *result.plan;
    EXPECT_EQ(changedBytes(opened.image, plan.after.image), (std::set<std::int32_t>{0x2007, 0x2025}));
    EXPECT_EQ(plan.after.image.at(0x2007), 0x82); // level 0, 3D: the table's third entry, 1.30 V
    EXPECT_EQ(plan.after.image.at(0x2025), 0x78); // level 1, 2D: the second, 1.20 V
    EXPECT_EQ(plan.after.structureCheck.line(), "Tables confirmed by the BIOS structure");
}

TEST(LevelVoltage, TheListsShowWhatTheLevelsAskFor) {
    // Table entries 1.20, 1.30, 1.40 V; the GT's 3D core lives in level 0, which asks for 1.20 V,
    // where the byte patterns would select the table's second entry.
    test::Editor e;
    e.open(test::sampleBytes("gf6800-gt.rom"));
    EXPECT_EQ(e.form().combo(Control::Voltage3D).selected, 0);
    test::Editor bare;
    bare.open(test::sampleWithoutStructure("gf6800-gt.rom"));
    EXPECT_EQ(bare.form().combo(Control::Voltage3D).selected, 1);
}

TEST(LevelVoltage, AVoltageTheTableLacksIsWrittenIntoTheModesEntryAndTheLevelPointsAtIt) {
    // The FX 5950's 3D list offers 1.50 V above the table's three entries.
    const ImageAnalysis opened = analysed(test::sampleBytes("fx5950-ultra.rom"));
    const SavePlanResult result = planSave(opened, opened.data, editsOf(opened, {}, {-1, -1, 3}));
    ASSERT_TRUE(result.plan);
    const SavePlan& plan = *result.plan;
    EXPECT_EQ(changedBytes(opened.image, plan.after.image), (std::set<std::int32_t>{0x1009, 0x100A, 0x20AC}));
    EXPECT_EQ(plan.after.image.at(0x1009), 0x96);
    EXPECT_EQ(plan.after.image.at(0x100A), 7); // the extra entry takes the highest code
    EXPECT_EQ(plan.after.image.at(0x20AC), 0x96);
    EXPECT_FALSE(plan.after.structureCheck.contradicted());
    EXPECT_TRUE(plan.objections.empty());
}

TEST(LevelVoltage, AVoltageThatWouldDropAnotherLevelIsRefused) {
    // The FX 5700 LE's levels ask for 1.20, 1.40 and 1.40 V; its 3D list writes the 1.40 V entry,
    // which the third level, in no list, asks for too.
    const ImageAnalysis opened = analysed(test::sampleBytes("fx5700-le.rom"));
    ASSERT_FALSE(opened.structureCheck.contradicted());
    const SavePlanResult result = planSave(opened, opened.data, editsOf(opened, {}, {-1, -1, 2}));
    EXPECT_FALSE(result.plan);
    ASSERT_TRUE(result.refused);
    EXPECT_EQ(result.refused->kind, ValueFailure::Kind::DropsLevel);
    const std::string text = refusalText(*result.refused);
    EXPECT_EQ(
        text.rfind("3D voltage 1.50 V cannot be saved: The performance table's level 2 (id 80h) asks for "
                   "1.40 V",
                   0),
        0u)
        << text;
    EXPECT_NE(text.find("a driver drops that level"), std::string::npos);
}

TEST(LevelVoltage, WithoutAStructureTheModesTableEntryIsWritten) {
    const ImageAnalysis opened = analysed(test::sampleWithoutStructure("fx5600.rom"));
    EXPECT_FALSE(opened.places.levelVoltages);
    const SavePlanResult result = planSave(opened, opened.data, editsOf(opened, {}, {-1, -1, 0}));
    ASSERT_TRUE(result.plan);
    EXPECT_EQ(changedBytes(opened.image, result.plan->after.image), (std::set<std::int32_t>{0x1007, 0x1008}));
}

// --- what the window shows of the levels ---

TEST(LevelsPreview, ShowsTheLevelsAsTheyAreAndAsASaveWouldWriteThem) {
    test::Editor e;
    e.open(test::sampleBytes("fx5900-xt.rom"));
    EditorModel::LevelsPreview preview = e.model.levelsPreview();
    EXPECT_EQ(preview.heading, "Performance levels");
    ASSERT_EQ(preview.levels.size(), 3u);
    EXPECT_EQ(levelText(preview.levels[0]),
              "20h: core 300 MHz, memory 350/300 MHz (8 copies differ), 1.10 V");
    e.model.typeText(Control::Mem2D, "375");
    e.model.selectEntry(Control::Voltage2D, 2);
    preview = e.model.levelsPreview();
    EXPECT_EQ(preview.heading, "Performance levels after a save");
    EXPECT_EQ(levelText(preview.levels[0]),
              "20h: core 300 MHz, memory 375/300 MHz (8 copies differ), 1.30 V");
    e.model.typeText(Control::Mem2D, "999");
    preview = e.model.levelsPreview();
    EXPECT_EQ(preview.heading, "Performance levels (the values shown cannot be saved)");
    EXPECT_EQ(levelText(preview.levels[0]),
              "20h: core 300 MHz, memory 350/300 MHz (8 copies differ), 1.10 V");
    test::Editor bare;
    bare.open(test::sampleWithoutStructure("fx5900-xt.rom"));
    EXPECT_TRUE(bare.model.levelsPreview().levels.empty());
    EXPECT_TRUE(bare.model.levelsPreview().heading.empty());
}

// --- never contradicted by its own edit ---

// Every single edit the window allows on a sample its structure confirms: each box one more than
// it shows, each list at each position, with and without general mode, each timing.
class OwnEdit : public ::testing::TestWithParam<std::string> {};

void expectConfirmedAfter(test::Editor& e, const std::string& what) {
    const Bytes saved = e.save();
    const auto refused = std::find_if(e.host.messages.begin(), e.host.messages.end(), [](const Message& m) {
        return m.detail.find("cannot be saved") != std::string::npos;
    });
    if (refused != e.host.messages.end()) {
        EXPECT_TRUE(saved.empty()) << what;
        return;
    }
    ASSERT_FALSE(saved.empty()) << what;
    const ImageAnalysis after = analysed(saved);
    EXPECT_FALSE(after.structureCheck.contradicted()) << what << "\n"
                                                      << after.structureCheck.contradictions();
    // A voltage above the table's may be questioned as risky, never as contradicted.
    for (const auto& [question, detail] : e.host.saveQuestions)
        EXPECT_EQ(question, kSaveRiskyValues) << what;
}

TEST_P(OwnEdit, LeavesTheImageConfirmedByItsStructure) {
    const Bytes original = test::sampleBytes(GetParam());
    test::Editor probe;
    probe.open(original);
    ASSERT_FALSE(probe.model.structureCheck().contradicted());
    for (const bool general : {false, true}) {
        for (const Control list : kVoltageLists) {
            test::Editor first;
            first.open(original);
            if (general) first.model.setChecked(Control::GeneralMode, true);
            const auto count = static_cast<int>(first.form().combo(list).entries.size());
            for (int position = 0; position < count; ++position) {
                test::Editor e;
                e.open(original);
                if (general) e.model.setChecked(Control::GeneralMode, true);
                e.model.selectEntry(list, position);
                expectConfirmedAfter(e, std::string(captionOf(list)) + " at " + std::to_string(position) +
                                            (general ? " in general mode" : ""));
            }
        }
    }
    for (const Control box : kEditBoxes) {
        test::Editor e;
        e.open(original);
        e.model.setChecked(Control::TimingEdit, true);
        const EditBox& edit = e.form().edit(box);
        const auto value = textToInt(edit.text);
        if (!edit.enabled || !value) continue;
        e.model.typeText(box, std::to_string(*value + 1));
        expectConfirmedAfter(e, std::string(captionOf(box)));
    }
}

std::vector<std::string> structuredSamples() {
    std::vector<std::string> names;
    for (const std::string& name : test::supportedSampleNames())
        if (analysed(test::sampleBytes(name)).structure.hasStructure()) names.push_back(name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Samples, OwnEdit, ::testing::ValuesIn(structuredSamples()), [](const auto& param) {
    std::string name = param.param.substr(0, param.param.find('.'));
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

} // namespace
} // namespace zfx
