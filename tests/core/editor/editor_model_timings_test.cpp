// SPDX-License-Identifier: MIT
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

namespace zfx {
namespace {

using test::cardImage;
using test::Editor;
using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;

struct TimingCase {
    std::string sample;
    std::string timingA;                // "-" when the group has none
    Strings bcdef;                      // as shown
    std::int32_t timingATable;          // first entry, or 0
    std::vector<std::int32_t> setBases; // written
};

void PrintTo(const TimingCase& c, std::ostream* os) {
    *os << c.sample;
}

class TimingGroups : public ::testing::TestWithParam<TimingCase> {};

Strings shownTimings(const Editor& e) {
    Strings texts;
    for (int n = 8; n <= 12; ++n)
        texts.push_back(e.form().edit(test::editBox(n)).text);
    return texts;
}

TEST_P(TimingGroups, TickShowsTheTimingsOfTheFirstSet) {
    const TimingCase& c = GetParam();
    Editor e;
    e.open(test::sampleBytes(c.sample));
    e.model.setChecked(Control::TimingEdit, true);
    EXPECT_TRUE(e.card().timingEditActive);
    EXPECT_EQ(e.form().edit(Control::TimingA).text, c.timingA);
    EXPECT_EQ(e.form().edit(Control::TimingA).enabled, c.timingA != "-");
    EXPECT_EQ(shownTimings(e), c.bcdef);
    for (int n = 8; n <= 12; ++n)
        EXPECT_TRUE(e.form().edit(test::editBox(n)).enabled);
    if (c.timingATable) {
        EXPECT_EQ(e.card().offsets.timingA, c.timingATable);
    }
    EXPECT_TRUE(e.host.messages.empty());
}

// The image as a save with timing editing off writes it (the FX clocks rounded, the checksum).
Bytes savedWithoutTimings(const std::string& sample) {
    Editor e;
    e.open(test::sampleBytes(sample));
    return e.save();
}

TEST_P(TimingGroups, SaveWritesTimingAIntoEightEntriesAndBToFIntoEachSetAndNothingElse) {
    const TimingCase& c = GetParam();
    Editor e;
    const Bytes loaded = savedWithoutTimings(c.sample);
    e.open(loaded);
    e.model.setChecked(Control::TimingEdit, true);
    if (c.timingATable) e.model.typeText(Control::TimingA, "200");
    for (int n = 8; n <= 12; ++n)
        e.model.typeText(test::editBox(n), std::to_string(n + 3)); // B = 11 .. F = 15
    const Bytes saved = e.save();
    ASSERT_EQ(saved.size(), loaded.size());
    Bytes expected = loaded;
    if (c.timingATable)
        for (std::int32_t i = 0; i < 8; ++i)
            expected[static_cast<std::size_t>(c.timingATable + 4 * i)] = 200;
    for (const std::int32_t base : c.setBases) {
        const std::int32_t offsets[] = {0, 2, 4, 6, 7};
        for (std::size_t i = 0; i < 5; ++i)
            expected[static_cast<std::size_t>(base + offsets[i])] = static_cast<std::uint8_t>(11 + i);
    }
    for (std::size_t i = 0; i + 1 < saved.size(); ++i)
        ASSERT_EQ(saved[i], expected[i]) << "byte " << i;
}

TEST_P(TimingGroups, SavingTheShownValuesChangesNoTimingByte) {
    Editor e;
    const Bytes loaded = savedWithoutTimings(GetParam().sample);
    e.open(loaded);
    e.model.setChecked(Control::TimingEdit, true);
    const Bytes saved = e.save();
    ASSERT_EQ(saved.size(), loaded.size());
    EXPECT_TRUE(std::equal(saved.begin(), saved.end() - 1, loaded.begin()));
}

INSTANTIATE_TEST_SUITE_P(
    Samples, TimingGroups,
    ::testing::Values(
        TimingCase{"fx5950-ultra.rom", "5", {"9", "3", "11", "4", "7"}, 0x1809, {0x202E, 0x2067, 0x20A0}},
        TimingCase{"quadro-fx3000.rom", "5", {"9", "3", "11", "4", "7"}, 0x1809, {0x202E, 0x2067, 0x20A0}},
        TimingCase{"fx5900-xt.rom", "6", {"8", "3", "10", "4", "6"}, 0x1851, {0x202E, 0x2067, 0x20A0}},
        TimingCase{"fx5700.rom", "4", {"7", "2", "9", "3", "5"}, 0x1833, {0x202E, 0x2067, 0x20A0}},
        TimingCase{"fx5600.rom", "3", {"6", "2", "8", "3", "4"}, 0x1833, {0x202E, 0x2067, 0x20A0}},
        TimingCase{"fx5800.rom", "-", {"10", "4", "12", "5", "8"}, 0, {0x20A0}},
        TimingCase{"quadro-fx1000.rom", "-", {"10", "4", "12", "5", "8"}, 0, {0x20A0}},
        TimingCase{"fx5700-le.rom", "-", {"6", "2", "8", "3", "5"}, 0, {0x202E}},
        TimingCase{"fx5200.rom", "-", {"5", "2", "7", "3", "4"}, 0, {0x202E}},
        TimingCase{"fx5500.rom", "-", {"5", "2", "7", "3", "4"}, 0, {0x202E}}));

// A 5900-family image with the timing pattern at 0x1800 and a clock table at 0x2000.
samples::ImageBuilder fx5900Timings(std::uint16_t device = 0x0330) {
    auto builder = cardImage(device);
    builder.bytes(0x1800, {0x04, 0x08, 0x00, 0x02, 0x10, 0x00});
    builder.bytes(0x2000, {0x18, 0x02, 0x20});
    return builder;
}

void timingTable(samples::ImageBuilder& builder, std::size_t first, std::uint8_t value) {
    for (std::size_t i = 0; i < 8; ++i)
        builder.bytes(first + 4 * i, {value, 0x77, 0x77, 0x77});
}

TEST(TimingA, FiveNineHundredMovesToP81WhenTheElementAtP9Is3) {
    auto builder = fx5900Timings();
    timingTable(builder, 0x1800 + 81, 12);
    builder.bytes(0x1809, {3});
    Editor e;
    e.open(builder.image());
    e.model.setChecked(Control::TimingEdit, true);
    EXPECT_EQ(e.card().offsets.timingA, 0x1800 + 81);
    EXPECT_EQ(e.form().edit(Control::TimingA).text, "12");
}

TEST(TimingA, FiveNineHundredXtAlwaysUsesP81) {
    auto builder = fx5900Timings(0x0332);
    timingTable(builder, 0x1800 + 81, 12);
    builder.bytes(0x1809, {9});
    Editor e;
    e.open(builder.image());
    e.model.setChecked(Control::TimingEdit, true);
    EXPECT_EQ(e.card().offsets.timingA, 0x1800 + 81);
    EXPECT_EQ(e.form().edit(Control::TimingA).text, "12");
}

TEST(TimingA, TableDifferingOnlyInTheEighthEntryIsNotUnified) {
    auto builder = fx5900Timings();
    timingTable(builder, 0x1809, 5);
    builder.bytes(0x1809 + 28, {6});
    const Bytes loaded = builder.image();
    Editor e;
    e.open(loaded);
    e.host.clear();
    e.model.setChecked(Control::TimingEdit, true);
    EXPECT_EQ(e.host.messageTexts(), (Strings{"Timing A Table not unified. Disabling Timing A access"}));
    ASSERT_TRUE(e.card().timings && e.card().timings->timings);
    EXPECT_NE(e.card().timings->timings->timingA, TimingAState::Found);
    EXPECT_FALSE(e.form().edit(Control::TimingA).enabled);
    EXPECT_EQ(e.form().edit(Control::TimingA).text, "-");
    EXPECT_EQ(shownTimings(e), (Strings{"0", "0", "0", "0", "0"}));
    e.model.typeText(Control::TimingB, "9");
    const Bytes saved = e.save();
    ASSERT_EQ(saved.size(), loaded.size());
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(saved[0x1809 + 4 * i], i == 7 ? 6 : 5);
    EXPECT_EQ(saved[0x2000 + 46], 9);
    EXPECT_EQ(saved[0x2000 + 103], 9);
    EXPECT_EQ(saved[0x2000 + 160], 9);
}

TEST(TimingA, MissingPatternLeavesBToFEnabledForTheUserAndUntouchedPlaceholdersWriteNothing) {
    Editor e;
    Bytes image = test::sampleBytes("fx5700.rom");
    image[0x1800] = 0x00; // no timing pattern any more
    e.open(image);
    e.host.clear();
    e.model.setChecked(Control::TimingEdit, true);
    EXPECT_EQ(e.host.messageTexts(), (Strings{"Couldnt find Timing info. ;("}));
    EXPECT_FALSE(e.form().edit(Control::TimingA).enabled);
    for (int n = 8; n <= 12; ++n) {
        EXPECT_TRUE(e.form().edit(test::editBox(n)).enabled);
        EXPECT_EQ(e.form().edit(test::editBox(n)).text, "-");
    }
    const Bytes untouched = e.save("untouched.rom");
    ASSERT_EQ(untouched.size(), image.size());
    EXPECT_TRUE(std::equal(untouched.begin(), untouched.end() - 1, image.begin()));
    // A placeholder the user typed over and emptied is refused as before.
    e.model.typeText(Control::TimingB, "");
    EXPECT_TRUE(e.save("refused.rom").empty());
    EXPECT_EQ(e.host.messages.back().detail, "Timing B holds \"\", which is not a whole number.");
    for (int n = 8; n <= 12; ++n)
        e.model.typeText(test::editBox(n), "1");
    const Bytes saved = e.save("typed.rom");
    ASSERT_EQ(saved.size(), image.size());
    EXPECT_EQ(saved[0x2000 + 46], 1);
    EXPECT_EQ(saved[0x2000 + 167], 1);
}

TEST(TimingWriteBack, FiveSixHundredWithEntries56ApartWritesOnlyTheFirstSet) {
    auto builder = cardImage(0x0312);
    builder.bytes(0x3000, {0x40, 0x01, 0x20});
    for (std::size_t i = 0x3003; i < 0x3000 + 200; ++i)
        builder.bytes(i, {0xEE});
    const Bytes loaded = builder.image();
    Editor e;
    e.open(loaded);
    e.model.setChecked(Control::TimingEdit, true); // no Timing A pattern: B..F stay "-"
    for (int n = 8; n <= 12; ++n)
        e.model.typeText(test::editBox(n), "7");
    const Bytes saved = e.save();
    ASSERT_EQ(saved.size(), loaded.size());
    const std::size_t k = 0x3001;
    for (const std::size_t offset : {45u, 47u, 49u, 51u, 52u})
        EXPECT_EQ(saved[k + offset], 7);
    for (const std::size_t offset : {46u, 102u, 159u})
        EXPECT_EQ(saved[k + offset], 0xEE);
}

TEST(TimingWriteBack, ValueAbove255IsRefusedBeforeAnythingChanges) {
    Editor e;
    e.open(test::sampleBytes("fx5950-ultra.rom"));
    e.model.setChecked(Control::TimingEdit, true);
    const Bytes before = e.analysis().image.bytes();
    e.model.typeText(Control::TimingA, "255");
    e.model.typeText(Control::TimingC, "300");
    EXPECT_TRUE(e.save().empty());
    EXPECT_EQ(e.host.messages.back().text, "Cant open File!");
    EXPECT_EQ(e.host.messages.back().detail, "Timing C is 300; it must be 0 to 255.");
    EXPECT_EQ(e.analysis().image.bytes(), before);
}

TEST(TimingWriteBack, EditingOffTouchesNoTimingByte) {
    Editor e;
    const Bytes loaded = test::sampleBytes("fx5950-ultra.rom");
    e.open(loaded);
    e.model.setChecked(Control::TimingEdit, true);
    e.model.typeText(Control::TimingB, "99");
    e.model.setChecked(Control::TimingEdit, false);
    const Bytes saved = e.save();
    ASSERT_EQ(saved.size(), loaded.size());
    EXPECT_TRUE(std::equal(saved.begin(), saved.end() - 1, loaded.begin()));
}

TEST(TimingWriteBack, SavedValueIsReadAgainAfterUntickAndTick) {
    Editor e;
    e.open(test::sampleBytes("fx5950-ultra.rom"));
    e.model.setChecked(Control::TimingEdit, true);
    e.model.typeText(Control::TimingB, "9");
    e.model.typeText(Control::TimingB, "42");
    ASSERT_FALSE(e.save().empty());
    e.model.setChecked(Control::TimingEdit, false);
    e.model.setChecked(Control::TimingEdit, true);
    EXPECT_EQ(e.form().edit(Control::TimingB).text, "42");
}

TEST(TimingStates, UntickResetsAllSixBoxes) {
    Editor e;
    e.open(test::sampleBytes("fx5950-ultra.rom"));
    e.model.setChecked(Control::TimingEdit, true);
    e.model.setChecked(Control::TimingEdit, false);
    EXPECT_FALSE(e.card().timingEditActive);
    for (int n = 7; n <= 12; ++n) {
        EXPECT_FALSE(e.form().edit(test::editBox(n)).enabled);
        EXPECT_EQ(e.form().edit(test::editBox(n)).text, "-");
    }
}

TEST(TimingStates, LoadWhileOnEndsOffOrUnavailable) {
    Editor e;
    e.open(test::sampleBytes("fx5950-ultra.rom"));
    e.model.setChecked(Control::TimingEdit, true);
    e.open(test::sampleBytes("fx5800.rom"), "b.rom");
    EXPECT_TRUE(e.form().check(Control::TimingEdit).enabled);
    EXPECT_FALSE(e.form().check(Control::TimingEdit).ticked);
    EXPECT_FALSE(e.card().timingEditActive);
    for (int n = 7; n <= 12; ++n) {
        EXPECT_FALSE(e.form().edit(test::editBox(n)).enabled);
        EXPECT_EQ(e.form().edit(test::editBox(n)).text, "-");
    }
    e.model.setChecked(Control::TimingEdit, true);
    e.open(test::sampleBytes("gf6800-ultra.rom"), "c.rom");
    EXPECT_FALSE(e.form().check(Control::TimingEdit).enabled);
    EXPECT_FALSE(e.form().check(Control::TimingEdit).ticked);
}

TEST(TimingStates, WarningIsShownOncePerRunAcrossLoads) {
    Editor e;
    e.open(test::sampleBytes("fx5950-ultra.rom"));
    e.model.setChecked(Control::TimingEdit, true);
    e.model.setChecked(Control::TimingEdit, false);
    e.model.setChecked(Control::TimingEdit, true);
    e.open(test::sampleBytes("fx5700.rom"), "b.rom");
    e.model.setChecked(Control::TimingEdit, true);
    EXPECT_EQ(std::count(e.host.dialogs.begin(), e.host.dialogs.end(), Dialog::Form4), 1);
}

TEST(TimingStates, FamiliesWithoutTimingSupportCannotTick) {
    for (const std::string sample :
         {"gf6800-ultra.rom", "gf6800-gt.rom", "fx5600-ultra.rom", "unsupported.rom"}) {
        Editor e;
        e.open(test::sampleBytes(sample));
        e.model.setChecked(Control::TimingEdit, true);
        EXPECT_FALSE(e.form().check(Control::TimingEdit).ticked) << sample;
        EXPECT_FALSE(e.card().timingEditActive);
    }
}

TEST(TimingSets, WithoutAClockTableBToFAreNeitherReadNorWritten) {
    Editor e;
    Bytes image = test::sampleBytes("fx5950-ultra.rom");
    image[0x2000] = 0x00; // the clock marker is gone
    e.open(image);
    e.host.clear();
    e.model.setChecked(Control::TimingEdit, true);
    EXPECT_TRUE(e.host.messages.empty());
    EXPECT_EQ(e.form().edit(Control::TimingA).text, "5");
    for (int n = 8; n <= 12; ++n) {
        EXPECT_FALSE(e.form().edit(test::editBox(n)).enabled);
        EXPECT_EQ(e.form().edit(test::editBox(n)).text, "-");
    }
}

TEST(TimingSets, SetsPastTheImageEndAreNotFound) {
    // A 5800 clock table that fits, but whose timing set at K + 160 would not.
    auto builder = cardImage(0x0301, 0x1000);
    const std::size_t k = 0x1000 - 160;
    builder.bytes(k, {0x89, 0x55, 0x20});
    const Bytes loaded = builder.image();
    Editor e;
    e.open(loaded);
    ASSERT_TRUE(e.card().clocks.table.has_value());
    e.host.clear();
    e.model.setChecked(Control::TimingEdit, true);
    EXPECT_EQ(e.host.messageTexts(), (Strings{"Couldnt find Timing info. ;("}));
    for (int n = 8; n <= 12; ++n)
        EXPECT_FALSE(e.form().edit(test::editBox(n)).enabled);
    const Bytes saved = e.save();
    ASSERT_EQ(saved.size(), loaded.size());
    EXPECT_TRUE(std::equal(saved.begin(), saved.end() - 1, loaded.begin()));
}

TEST(TimingA, TablePastTheImageEndCountsAsNotFound) {
    auto builder = cardImage(0x0342, 0x2100);
    builder.bytes(0x1000, {0x18, 0x02, 0x20});
    builder.bytes(0x2100 - 60,
                  {0x04, 0x08, 0x00, 0x02, 0x10, 0x00}); // Timing A would lie at P + 51 .. P + 79
    Editor e;
    e.open(builder.image());
    e.host.clear();
    e.model.setChecked(Control::TimingEdit, true);
    EXPECT_EQ(e.host.messageTexts(), (Strings{"Couldnt find Timing info. ;("}));
    ASSERT_TRUE(e.card().timings && e.card().timings->timings);
    EXPECT_NE(e.card().timings->timings->timingA, TimingAState::Found);
    EXPECT_FALSE(e.form().edit(Control::TimingA).enabled);
}

} // namespace
} // namespace zfx
