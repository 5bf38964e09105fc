// SPDX-License-Identifier: MIT
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

namespace zfx {
namespace {

namespace fs = std::filesystem;
using test::Editor;

TEST(Modified, FollowsTheControlsAgainstTheLastOpenOrSave) {
    Editor e;
    EXPECT_EQ(e.model.windowTitle(), "Zorvane FX 1.4");
    EXPECT_FALSE(e.model.modified());
    e.open(test::sampleBytes("fx5800.rom"), "card.rom");
    EXPECT_FALSE(e.model.modified());
    EXPECT_EQ(e.model.windowTitle(), "Zorvane FX 1.4 - card.rom");
    e.model.typeText(Control::Core3D, "510");
    EXPECT_TRUE(e.model.modified());
    EXPECT_EQ(e.model.windowTitle(), "Zorvane FX 1.4 - card.rom *");
    // Back to what the open left: nothing to save.
    e.model.typeText(Control::Core3D, "500");
    EXPECT_FALSE(e.model.modified());
    e.model.selectEntry(Control::Voltage3D, 0);
    EXPECT_TRUE(e.model.modified());
    ASSERT_TRUE(e.model.saveBios(e.dir.file("mod.rom").string(), kRomFilterEntry).ok());
    EXPECT_FALSE(e.model.modified());
    EXPECT_EQ(e.model.windowTitle(), "Zorvane FX 1.4 - mod.rom");
    e.model.setChecked(Control::TimingEdit, true);
    EXPECT_FALSE(e.model.modified()); // the tick only reads the timings
    // A refused save keeps the edits unsaved.
    e.model.typeText(Control::Core3D, "");
    EXPECT_FALSE(e.model.saveBios(e.dir.file("x.rom").string(), kRomFilterEntry).ok());
    EXPECT_TRUE(e.model.modified());
    EXPECT_EQ(e.model.windowTitle(), "Zorvane FX 1.4 - mod.rom *");
}

// Ticking "Edit memory timings" reads the timings and changes no value: nothing to save until a
// timing is typed. The tick is still a step that undo takes back.
TEST(Modified, TickingTimingEditingAloneChangesNothing) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"), "card.rom");
    e.model.setChecked(Control::TimingEdit, true);
    ASSERT_TRUE(e.form().check(Control::TimingEdit).ticked);
    ASSERT_NE(e.form().edit(Control::TimingB).text, "-");
    EXPECT_FALSE(e.model.modified());
    EXPECT_EQ(e.model.windowTitle(), "Zorvane FX 1.4 - card.rom");
    e.model.Exit1Click();
    EXPECT_TRUE(e.host.questions.empty());
    e.host.closed = false;
    e.model.typeText(Control::TimingB, "9");
    EXPECT_TRUE(e.model.modified());
    e.model.undo();
    EXPECT_FALSE(e.model.modified());
    EXPECT_TRUE(e.form().check(Control::TimingEdit).ticked);
    e.model.undo();
    EXPECT_FALSE(e.form().check(Control::TimingEdit).ticked);
    EXPECT_EQ(e.form().edit(Control::TimingB).text, "-");
    e.model.redo();
    EXPECT_TRUE(e.form().check(Control::TimingEdit).ticked);
    EXPECT_FALSE(e.model.modified());
    // The general mode's tick changes the lists: that one is an edit.
    e.model.setChecked(Control::GeneralMode, true);
    EXPECT_TRUE(e.model.modified());
}

// A dump cut short before its voltage and clock tables says first that it failed the image check
// and to read the BIOS again; the tables it lacks are said after.
TEST(Load, AFailedImageCheckIsSaidBeforeTheMissingTables) {
    std::vector<std::uint8_t> cut = test::sampleBytes("fx5700.rom");
    cut.resize(0x1000);
    Editor e;
    e.open(cut);
    ASSERT_EQ(e.host.messages.size(), 3u);
    EXPECT_EQ(e.host.messages[0].text.rfind("This file failed the image check: truncated dump", 0), 0u)
        << e.host.messages[0].text;
    EXPECT_NE(e.host.messages[0].detail.find("Read the BIOS from the card again"), std::string::npos);
    EXPECT_EQ(e.host.messages[1].text, "Couldnt find VGPU info. ;(");
    EXPECT_EQ(e.host.messages[2].text, "Couldnt find Clockrates. ;(");
}

TEST(Modified, NothingIsAskedWhileNothingIsEdited) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"));
    e.model.Exit1Click();
    EXPECT_TRUE(e.host.closed);
    EXPECT_TRUE(e.host.questions.empty());
}

enum class AskPoint { Open, Exit, Close, Drop };
enum class Then { Proceeds, Stops };

struct AskCase {
    AskPoint point;
    UnsavedChanges answer;
    bool saveSucceeds; // with Save: whether the save dialog's target can be written
    Then then;
};

void PrintTo(const AskCase& c, std::ostream* os) {
    const char* points[] = {"Open", "Exit", "Close", "Drop"};
    const char* answers[] = {"Save", "Discard", "Cancel"};
    *os << points[static_cast<int>(c.point)] << " " << answers[static_cast<int>(c.answer)]
        << (c.saveSucceeds ? "" : " (save fails)");
}

class AskBeforeLosingEdits : public ::testing::TestWithParam<AskCase> {};

TEST_P(AskBeforeLosingEdits, GoesOnOnlyWhenTheEditsAreSavedOrDiscarded) {
    const AskCase& c = GetParam();
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"), "card.rom");
    e.model.typeText(Control::Core3D, "510");
    const fs::path other = e.dir.file("other.rom");
    test::writeBytes(other, test::sampleBytes("fx5200.rom"));
    e.host.unsavedAnswers.push_back(c.answer);
    if (c.answer == UnsavedChanges::Save)
        e.host.saveAnswers.push_back(SaveChoice{
            (c.saveSucceeds ? e.dir.file("saved.rom") : e.dir.path() / "missing" / "saved.rom").string(),
            kRomFilterEntry});
    e.host.openAnswers.push_back(other.string());

    bool proceeded = false;
    switch (c.point) {
    case AskPoint::Open:
        e.model.OpenBIOS1Click();
        proceeded = e.form().filePath == other.string();
        break;
    case AskPoint::Exit:
        e.model.Exit1Click();
        proceeded = e.host.closed;
        break;
    case AskPoint::Close:
        proceeded = e.model.closeRequested();
        break;
    case AskPoint::Drop:
        e.model.openAfterAsking(other.string());
        proceeded = e.form().filePath == other.string();
        break;
    }
    EXPECT_EQ(e.host.questions, std::vector<std::string>{"Save the changes to card.rom?"});
    EXPECT_EQ(proceeded, c.then == Then::Proceeds);
    const bool saved = fs::exists(e.dir.file("saved.rom"));
    EXPECT_EQ(saved, c.answer == UnsavedChanges::Save && c.saveSucceeds);
    if (saved) {
        EXPECT_EQ(test::readBytes(e.dir.file("saved.rom"))[0], test::sampleBytes("fx5800.rom")[0]);
    }
    if (c.then == Then::Stops) {
        EXPECT_EQ(e.form().edit(Control::Core3D).text, "510") << "the edit is kept";
        EXPECT_TRUE(e.model.modified());
    }
}

constexpr auto kSave = UnsavedChanges::Save;
constexpr auto kDiscard = UnsavedChanges::Discard;
constexpr auto kCancel = UnsavedChanges::Cancel;

INSTANTIATE_TEST_SUITE_P(EveryPointAndAnswer, AskBeforeLosingEdits,
                         ::testing::Values(AskCase{AskPoint::Open, kSave, true, Then::Proceeds},
                                           AskCase{AskPoint::Open, kSave, false, Then::Stops},
                                           AskCase{AskPoint::Open, kDiscard, true, Then::Proceeds},
                                           AskCase{AskPoint::Open, kCancel, true, Then::Stops},
                                           AskCase{AskPoint::Exit, kSave, true, Then::Proceeds},
                                           AskCase{AskPoint::Exit, kSave, false, Then::Stops},
                                           AskCase{AskPoint::Exit, kDiscard, true, Then::Proceeds},
                                           AskCase{AskPoint::Exit, kCancel, true, Then::Stops},
                                           AskCase{AskPoint::Close, kSave, true, Then::Proceeds},
                                           AskCase{AskPoint::Close, kSave, false, Then::Stops},
                                           AskCase{AskPoint::Close, kDiscard, true, Then::Proceeds},
                                           AskCase{AskPoint::Close, kCancel, true, Then::Stops},
                                           AskCase{AskPoint::Drop, kSave, true, Then::Proceeds},
                                           AskCase{AskPoint::Drop, kSave, false, Then::Stops},
                                           AskCase{AskPoint::Drop, kDiscard, true, Then::Proceeds},
                                           AskCase{AskPoint::Drop, kCancel, true, Then::Stops}));

TEST(AskBeforeLosingEdits, ExitThatHasAskedClosesWithoutAskingAgain) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"));
    e.model.typeText(Control::Core3D, "510");
    e.host.unsavedAnswers.push_back(UnsavedChanges::Discard);
    e.model.Exit1Click();
    ASSERT_TRUE(e.host.closed);
    // The window's close that Exit starts.
    EXPECT_TRUE(e.model.closeRequested());
    EXPECT_EQ(e.host.questions.size(), 1u);
}

TEST(MemoryRate, LabelShowsDashesWheneverItsBoxDoes) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"));
    e.model.typeText(Control::Mem3D, "510");
    e.model.keyReleased(Control::Mem3D);
    ASSERT_EQ(e.form().memoryRate(Control::Mem3D), "(1020Mhz DDR)");
    e.open(std::vector<std::uint8_t>{}, "empty.rom");
    for (const Control box : kMemoryBoxes) {
        EXPECT_EQ(e.form().edit(box).text, "--");
        EXPECT_EQ(e.form().memoryRate(box), "--");
    }
    // A card without the throttle mode: its box and label both show dashes.
    e.open(test::sampleBytes("fx5800.rom"));
    e.model.typeText(Control::MemThrottle, "300");
    e.open(test::sampleBytes("fx5200.rom"));
    EXPECT_EQ(e.form().edit(Control::MemThrottle).text, "--");
    EXPECT_EQ(e.form().memoryRate(Control::MemThrottle), "--");
}

} // namespace
} // namespace zfx
