// SPDX-License-Identifier: MIT
#include "save/risky_values.h"
#include "test_support.h"
#include "text/number_text.h"

#include <gtest/gtest.h>

namespace zfx {
namespace {

using test::Editor;

// The values far from the file's, on the FX 5600 sample (325 MHz 3D core, 250 MHz 2D memory, the
// only memory box it has), as the save asks about them and set prints them.
struct RiskCase {
    const char* name;
    Control box;
    std::string text;
    std::string line; // empty: no question
};

void PrintTo(const RiskCase& c, std::ostream* os) {
    *os << c.name;
}

class RiskyValues : public testing::TestWithParam<RiskCase> {};

TEST_P(RiskyValues, AreQuestionedBeforeTheSave) {
    const RiskCase& c = GetParam();
    Editor e;
    e.open(test::sampleBytes("fx5600.rom"));
    ASSERT_EQ(e.form().edit(Control::Core3D).text, "325");
    ASSERT_EQ(e.form().edit(Control::Mem2D).text, "250");
    e.model.typeText(c.box, c.text);
    e.host.saveAnyway = {false};
    const Outcome saved = e.model.saveBios(e.dir.file("out.rom").string(), kRomFilterEntry);
    if (c.line.empty()) {
        EXPECT_TRUE(saved.ok());
        EXPECT_TRUE(e.host.saveQuestions.empty());
        return;
    }
    EXPECT_EQ(saved.cause, OutcomeCause::Cancelled) << "Cancel writes nothing";
    EXPECT_FALSE(std::filesystem::exists(e.dir.file("out.rom")));
    ASSERT_EQ(e.host.saveQuestions.size(), 1u);
    EXPECT_EQ(e.host.saveQuestions[0].first, kSaveRiskyValues);
    EXPECT_EQ(e.host.saveQuestions[0].second, c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Fx5600, RiskyValues,
    testing::Values(
        RiskCase{"CoreTwiceTheCard", Control::Core3D, "650",
                 "3D core clock: 650 MHz is 100% above the file's 325 MHz."},
        RiskCase{"CoreJustPastTheRise", Control::Core3D, "391",
                 "3D core clock: 391 MHz is 20% above the file's 325 MHz."},
        RiskCase{"CoreWithinTheRise", Control::Core3D, "390", ""},
        RiskCase{"CoreLowered", Control::Core3D, "170", ""},
        RiskCase{"CoreBelowHalf", Control::Core3D, "100",
                 "3D core clock: 100 MHz is 69% below the file's 325 MHz. Was a digit left out?"},
        RiskCase{"CoreWithADigitLeftOut", Control::Core3D, "34",
                 "3D core clock: 34 MHz is 90% below the file's 325 MHz. Was a digit left out?"},
        RiskCase{"CoreZero", Control::Core3D, "0",
                 "3D core clock: 0 MHz stops the clock; the file's is 325 MHz."},
        RiskCase{"MemoryZero", Control::Mem2D, "0",
                 "2D memory clock: 0 MHz stops the clock; the file's is 250 MHz."},
        RiskCase{"MemoryAtHalf", Control::Mem2D, "125", ""},
        RiskCase{
            "MemoryAsItsDdrRate", Control::Mem2D, "550",
            "2D memory clock: 550 MHz is 2.2 times the file's 250 MHz. Is it the effective (DDR) rate? The "
            "box takes the real clock, half of that rate."},
        RiskCase{
            "MemoryExactlyTwice", Control::Mem2D, "500",
            "2D memory clock: 500 MHz is 2.0 times the file's 250 MHz. Is it the effective (DDR) rate? The "
            "box takes the real clock, half of that rate."},
        RiskCase{"MemoryFarAbove", Control::Mem2D, "600",
                 "2D memory clock: 600 MHz is 140% above the file's 250 MHz."},
        RiskCase{"MemoryWithinTheRise", Control::Mem2D, "300", ""}),
    [](const testing::TestParamInfo<RiskCase>& param) { return std::string(param.param.name); });

TEST(RiskyVoltage, AboveTheImagesOwnTableIsQuestioned) {
    Editor e;
    e.open(test::sampleBytes("fx5700.rom"));
    const VoltageTable& table = *e.analysis().data.voltages.table;
    std::int32_t top = 0;
    for (const StoredVoltage& stored : table.stored)
        top = std::max(top, stored.entry.voltage);
    // General mode offers voltages above the table's.
    e.model.setChecked(Control::GeneralMode, true);
    ASSERT_TRUE(e.form().check(Control::GeneralMode).ticked);
    const auto& offered = e.card().offered;
    const auto highest =
        std::max_element(offered.begin(), offered.end(),
                         [](const VoltageEntry& a, const VoltageEntry& b) { return a.voltage < b.voltage; });
    ASSERT_GT(highest->voltage, top);
    const CardData shown{e.card().identity, e.card().voltages, e.card().clocks, {}};
    const SaveEdits edits{{}, {-1, -1, static_cast<int>(highest - offered.begin())}, offered, false};
    const auto lines = riskyValues(shown, e.analysis().data.voltages, edits);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "3D voltage: " + voltsText(static_cast<std::uint32_t>(highest->voltage)) +
                            " is above " + voltsText(static_cast<std::uint32_t>(top)) +
                            ", the highest voltage of this card's own table.");
    // An entry the table holds is no risk.
    const SaveEdits own{{}, {0, -1, 0}, table.offered, false};
    EXPECT_TRUE(riskyValues(shown, e.analysis().data.voltages, own).empty());
}

TEST(RiskyValues, SeveralAreListedInTheWindowsOrderAndCliSavesWithThem) {
    Editor e;
    e.open(test::sampleBytes("fx5600.rom"));
    e.model.typeText(Control::Mem2D, "550");
    e.model.typeText(Control::Core3D, "650");
    const auto bytes = e.save("out.rom"); // the scripted host says yes
    EXPECT_FALSE(bytes.empty());
    ASSERT_EQ(e.host.saveQuestions.size(), 1u);
    const std::string& detail = e.host.saveQuestions[0].second;
    EXPECT_LT(detail.find("3D core clock"), detail.find("2D memory clock"));
}

// The performance levels' own values far from the file's, as the save asks about them: a fan
// slower than the file's, a clock far above it, a memory clock about twice it.
TEST(RiskyValues, LevelValuesFarFromTheFilesAreQuestioned) {
    struct Case {
        std::string sample;
        std::string cell;
        std::string text;
        std::string line; // empty: no question
    };
    const std::string ddr =
        ". Is it the effective (DDR) rate? The box takes the real clock, half of that rate.";
    const std::vector<Case> cases{
        {"fx5700-levels-only.rom", "20h:fan", "30",
         "level 20h fan: 30 % is below the file's 40 %; a slower fan lets the card run hotter."},
        {"fx5700-levels-only.rom", "20h:fan", "50", ""},
        {"fx5700-levels-only.rom", "80h:core", "600",
         "level 80h core clock: 600 MHz is 26% above the file's 475 MHz."},
        {"fx5700-levels-only.rom", "80h:core", "570", ""},
        {"fx5700-levels-only.rom", "80h:core", "200",
         "level 80h core clock: 200 MHz is 58% below the file's 475 MHz. Was a digit left out?"},
        {"fx5700-levels-only.rom", "20h:memory", "550",
         "level 20h memory clock: 550 MHz is 2.0 times the file's 275 MHz" + ddr},
        {"fx5700-levels-only.rom", "60h:memory.0", "600",
         "level 60h memory copy 0: 600 MHz is 2.0 times the file's 300 MHz" + ddr},
        {"fx5700-levels-only.rom", "20h:voltage", "1.40", ""},
        {"gf6800-gt-levels-only.rom", "20h:memory", "700",
         "level 20h memory clock: 700 MHz is 2.0 times the file's 350 MHz" + ddr},
        {"gf6800-gt-levels-only.rom", "80h:fan", "0",
         "level 80h fan: 0 % is below the file's 100 %; a slower fan lets the card run hotter."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sample + " " + c.cell + " " + c.text);
        Editor e;
        e.open(test::sampleBytes(c.sample));
        const std::optional<LevelCell> cell = readLevelCell(c.cell).cell;
        ASSERT_TRUE(cell);
        ASSERT_EQ(e.model.setLevelText(*cell, c.text), std::nullopt);
        e.host.saveAnyway = {false};
        const Outcome saved = e.model.saveBios(e.dir.file("out.rom").string(), kRomFilterEntry);
        if (c.line.empty()) {
            EXPECT_TRUE(saved.ok());
            EXPECT_TRUE(e.host.saveQuestions.empty());
            continue;
        }
        EXPECT_EQ(saved.cause, OutcomeCause::Cancelled);
        EXPECT_FALSE(std::filesystem::exists(e.dir.file("out.rom")));
        ASSERT_EQ(e.host.saveQuestions.size(), 1u);
        EXPECT_EQ(e.host.saveQuestions[0].first, kSaveRiskyValues);
        EXPECT_EQ(e.host.saveQuestions[0].second, c.line);
    }
}

} // namespace
} // namespace zfx
