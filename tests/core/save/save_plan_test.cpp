// SPDX-License-Identifier: MIT
// The save as a plan: a pure function of the opened image's analysis, the tables the window
// showed and the user's edits.
#include "save/save_plan.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace zfx {
namespace {

using Bytes = std::vector<std::uint8_t>;

SaveEdits noEdits(const ImageAnalysis& opened) {
    SaveEdits edits;
    if (opened.data.voltages.table) edits.offered = opened.data.voltages.table->offered;
    return edits;
}

// Every field a sample shows, with a value the field takes.
FieldTexts everyClockRaisedByOne(const CardData& data) {
    FieldTexts texts;
    if (!data.clocks.table) return texts;
    for (const ShownClock& clock : data.clocks.table->shown)
        texts[clock.field] = std::to_string(clock.mhz + 1);
    return texts;
}

class SavePlanOnSample : public ::testing::TestWithParam<std::string> {};

TEST_P(SavePlanOnSample, AnUneditedPlanSetsOnlyTheChecksumByteAndAnalysesTheResult) {
    const ImageAnalysis opened = analyseImage(BiosImage(test::sampleBytes(GetParam())));
    const SavePlanResult result = planSave(opened, opened.data, noEdits(opened));
    ASSERT_TRUE(result.plan);
    EXPECT_FALSE(result.refused);
    const SavePlan& plan = *result.plan;
    EXPECT_TRUE(plan.writes.empty());
    EXPECT_EQ(plan.checksumOffset, opened.image.size() - 1);
    const Bytes& before = opened.image.bytes();
    const Bytes& after = plan.after.image.bytes();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(std::equal(before.begin(), before.end() - 1, after.begin()));
    EXPECT_EQ(after.back(), plan.checksum);
    // The plan's analysis is the one the new bytes give on their own.
    const ImageAnalysis fresh = analyseImage(BiosImage(after));
    EXPECT_EQ(plan.after.check.details(), fresh.check.details());
    EXPECT_EQ(plan.after.structureCheck.details(), fresh.structureCheck.details());
    EXPECT_TRUE(plan.after.check.passed()) << plan.after.check.line();
}

TEST_P(SavePlanOnSample, EveryWriteNamesItsFieldAndNothingElseChanges) {
    const ImageAnalysis opened = analyseImage(BiosImage(test::sampleBytes(GetParam())));
    SaveEdits edits = noEdits(opened);
    edits.texts = everyClockRaisedByOne(opened.data);
    const Bytes untouched = opened.image.bytes();
    const SavePlanResult result = planSave(opened, opened.data, edits);
    ASSERT_TRUE(result.plan);
    EXPECT_EQ(opened.image.bytes(), untouched); // the opened image stays as it was

    // Where two fields share a byte (the GeForce 6800 Ultra's), the later write holds.
    std::map<std::int32_t, std::uint8_t> last;
    for (const ByteWrite& w : result.plan->writes) {
        EXPECT_TRUE(edits.texts.count(w.field)) << "a write for a field the user left alone";
        last[w.offset] = w.value;
    }
    std::set<std::int32_t> written{result.plan->checksumOffset};
    for (const auto& [offset, value] : last) {
        if (offset != result.plan->checksumOffset) {
            EXPECT_EQ(result.plan->after.image.at(offset), value) << offset;
        }
        written.insert(offset);
    }
    EXPECT_EQ(result.plan->writes.empty(), edits.texts.empty());
    for (std::int32_t i = 0; i < opened.image.size(); ++i) {
        if (!written.count(i)) {
            ASSERT_EQ(result.plan->after.image.at(i), opened.image.at(i)) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EverySupportedSample, SavePlanOnSample,
                         ::testing::ValuesIn(test::supportedSampleNames()));

struct RefusalCase {
    const char* name;
    CardField field;
    std::string text;
    ValueFailure::Kind kind;
    std::string said;
};

class SavePlanRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(SavePlanRefusal, ARefusedValueGivesNoPlanAndNamesTheField) {
    const RefusalCase& c = GetParam();
    const ImageAnalysis opened = analyseImage(BiosImage(test::sampleBytes("fx5950-ultra.rom")));
    SaveEdits edits = noEdits(opened);
    edits.texts[CardField::Core2D] = "300"; // a sound value beside the refused one writes nothing either
    edits.texts[c.field] = c.text;
    edits.timingsEdited = true;
    const SavePlanResult result = planSave(opened, opened.data, edits);
    EXPECT_FALSE(result.plan);
    ASSERT_TRUE(result.refused);
    EXPECT_EQ(result.refused->field, c.field);
    EXPECT_EQ(result.refused->kind, c.kind);
    EXPECT_EQ(refusalText(*result.refused), c.said);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SavePlanRefusal,
    ::testing::Values(
        RefusalCase{"clock_too_high", CardField::Core3D, "900", ValueFailure::Kind::OutOfRange,
                    "3D core clock is 900; it must be 0 to 655 MHz."},
        RefusalCase{"clock_not_a_number", CardField::Mem2D, "4294967296", ValueFailure::Kind::NotANumber,
                    "2D memory clock holds \"4294967296\", which is not a whole number of MHz."},
        RefusalCase{"timing_too_high", CardField::TimingB, "300", ValueFailure::Kind::OutOfRange,
                    "Timing B is 300; it must be 0 to 255."}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(SavePlan, TimingBoxesWriteNothingUnlessTheTimingsAreBeingEdited) {
    const ImageAnalysis opened = analyseImage(BiosImage(test::sampleBytes("fx5950-ultra.rom")));
    ASSERT_TRUE(opened.data.timings.timings);
    SaveEdits edits = noEdits(opened);
    edits.texts[CardField::TimingB] = "7";
    const SavePlanResult idle = planSave(opened, opened.data, edits);
    ASSERT_TRUE(idle.plan);
    EXPECT_TRUE(idle.plan->writes.empty());
    edits.timingsEdited = true;
    const SavePlanResult editing = planSave(opened, opened.data, edits);
    ASSERT_TRUE(editing.plan);
    ASSERT_FALSE(editing.plan->writes.empty());
    for (const ByteWrite& w : editing.plan->writes)
        EXPECT_EQ(w.field, CardField::TimingB);
}

} // namespace
} // namespace zfx
