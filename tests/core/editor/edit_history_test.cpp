// SPDX-License-Identifier: MIT
#include "test_support.h"

#include <gtest/gtest.h>

namespace zfx {
namespace {

using test::Editor;

const std::string& text(const Editor& e, Control box) {
    return e.form().edit(box).text;
}

// Every kind of control: typing is one step however many keys, a list choice and a tick are one
// each; undo walks back in order and redo forward again.
TEST(EditHistory, UndoesAndRedoesEveryKindOfControl) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"));
    const std::string core = text(e, Control::Core3D);
    const int voltage = e.form().combo(Control::Voltage3D).selected;
    EXPECT_FALSE(e.model.canUndo());
    e.model.typeText(Control::Core3D, "5");
    e.model.typeText(Control::Core3D, "52");
    e.model.typeText(Control::Core3D, "520");
    e.model.selectEntry(Control::Voltage3D, voltage == 0 ? 1 : 0);
    e.model.setChecked(Control::TimingEdit, true);
    ASSERT_TRUE(e.form().edit(Control::TimingB).enabled);
    ASSERT_EQ(text(e, Control::TimingB), "10");

    e.model.undo(); // the tick: the timing boxes are shut again
    EXPECT_FALSE(e.form().check(Control::TimingEdit).ticked);
    EXPECT_FALSE(e.form().edit(Control::TimingB).enabled);
    EXPECT_EQ(text(e, Control::TimingB), "-");
    e.model.undo(); // the list
    EXPECT_EQ(e.form().combo(Control::Voltage3D).selected, voltage);
    EXPECT_EQ(text(e, Control::Core3D), "520");
    e.model.undo(); // all the typing at once
    EXPECT_EQ(text(e, Control::Core3D), core);
    EXPECT_FALSE(e.model.canUndo());
    EXPECT_FALSE(e.model.modified());

    e.model.redo();
    e.model.redo();
    EXPECT_EQ(text(e, Control::Core3D), "520");
    EXPECT_NE(e.form().combo(Control::Voltage3D).selected, voltage);
    e.model.redo();
    EXPECT_TRUE(e.form().check(Control::TimingEdit).ticked);
    EXPECT_FALSE(e.model.canRedo());
    // The warning of the tick is shown once, not again by redo.
    EXPECT_EQ(std::count(e.host.dialogs.begin(), e.host.dialogs.end(), Dialog::Form4), 1);
}

TEST(EditHistory, ANewChangeEndsRedoAndAChangeOfNothingIsNoStep) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"));
    const int voltage = e.form().combo(Control::Voltage3D).selected;
    e.model.selectEntry(Control::Voltage3D, voltage); // the same entry again
    EXPECT_FALSE(e.model.canUndo());
    e.model.typeText(Control::Core3D, "510");
    e.model.typeText(Control::Mem3D, "400");
    e.model.undo();
    EXPECT_TRUE(e.model.canRedo());
    e.model.selectEntry(Control::Voltage3D, voltage);
    EXPECT_TRUE(e.model.canRedo()) << "choosing what is chosen changes nothing";
    e.model.typeText(Control::Core3D, "511");
    EXPECT_FALSE(e.model.canRedo());
    // Typing into the same box after an undo is a step of its own.
    e.model.undo();
    EXPECT_EQ(text(e, Control::Core3D), "510");
}

TEST(EditHistory, OpeningAnotherFileClearsIt) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"));
    e.model.typeText(Control::Core3D, "510");
    e.model.undo();
    e.open(test::sampleBytes("fx5700.rom"), "other.rom");
    EXPECT_FALSE(e.model.canUndo());
    EXPECT_FALSE(e.model.canRedo());
}

// A save keeps the history, but what the file holds moves: undoing to a value from before the save
// is then an edit the next save writes, and undoing to the saved value is none.
TEST(EditHistory, ASaveKeepsItAndMovesWhatTheFileHolds) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"));
    const std::string core = text(e, Control::Core3D);
    e.model.typeText(Control::Core3D, "510");
    e.model.typeText(Control::Mem3D, "420");
    e.save("mod.rom");
    ASSERT_TRUE(e.model.lastSave());
    EXPECT_EQ(e.model.fileValueText(Control::Core3D), "510 MHz");
    EXPECT_FALSE(e.model.changedFromFile(Control::Core3D));
    e.model.undo(); // the memory clock: back to the first file's value, now an edit
    EXPECT_TRUE(e.model.changedFromFile(Control::Mem3D));
    EXPECT_FALSE(e.model.changedFromFile(Control::Core3D));
    EXPECT_TRUE(e.model.modified());
    e.model.undo();
    EXPECT_EQ(text(e, Control::Core3D), core);
    EXPECT_TRUE(e.model.changedFromFile(Control::Core3D));
    const auto saved = e.save("back.rom");
    EXPECT_EQ(saved, test::sampleBytes("fx5800.rom")) << "both values back as the first file held them";
    e.model.redo();
    EXPECT_EQ(text(e, Control::Core3D), "510");
    EXPECT_TRUE(e.model.changedFromFile(Control::Core3D));
}

TEST(EditHistory, RevertPutsBackWhatTheFileHoldsAsAStepOfItsOwn) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"));
    const std::string core = text(e, Control::Core3D);
    const std::string memory = text(e, Control::Mem2D);
    const int voltage = e.form().combo(Control::Voltage2D).selected;
    e.model.typeText(Control::Core3D, "510");
    e.model.typeText(Control::Mem2D, "300");
    e.model.selectEntry(Control::Voltage2D, voltage == 0 ? 1 : 0);
    EXPECT_TRUE(e.model.changedFromFile(Control::Voltage2D));

    e.model.revertControl(Control::Core3D);
    EXPECT_EQ(text(e, Control::Core3D), core);
    EXPECT_EQ(text(e, Control::Mem2D), "300") << "one field only";
    e.model.undo();
    EXPECT_EQ(text(e, Control::Core3D), "510");

    e.model.setChecked(Control::GeneralMode, true);
    e.model.revertAll();
    EXPECT_EQ(text(e, Control::Core3D), core);
    EXPECT_EQ(text(e, Control::Mem2D), memory);
    EXPECT_EQ(e.form().combo(Control::Voltage2D).selected, voltage);
    EXPECT_FALSE(e.form().check(Control::GeneralMode).ticked);
    EXPECT_FALSE(e.model.modified());
    for (const Control box : kEditBoxes)
        EXPECT_FALSE(e.model.changedFromFile(box));
    e.model.undo();
    EXPECT_TRUE(e.form().check(Control::GeneralMode).ticked);
    EXPECT_EQ(text(e, Control::Mem2D), "300");
}

TEST(FieldState, NamesTheFilesValueAndWhatTheSaveWouldRefuse) {
    Editor e;
    e.open(test::sampleBytes("fx5600.rom"));
    const std::string core = text(e, Control::Core3D);
    EXPECT_EQ(e.model.fileValueText(Control::Core3D), core + " MHz");
    EXPECT_EQ(e.model.fileValueText(Control::TimingA), "") << "not read before the tick";
    EXPECT_FALSE(e.model.fileValueText(Control::Voltage3D).empty());

    struct Case {
        Control box;
        std::string text;
        std::string refusal; // empty: the save takes it
    };
    e.model.setChecked(Control::TimingEdit, true);
    const std::vector<Case> cases{
        {Control::Core3D, "700", "3D core clock is 700; it must be 0 to 655 MHz."},
        {Control::Core3D, "655", ""},
        {Control::Core3D, "", "3D core clock holds \"\", which is not a whole number of MHz."},
        {Control::TimingB, "300", "Timing B is 300; it must be 0 to 255."},
        {Control::TimingB, "255", ""},
    };
    for (const Case& c : cases) {
        e.model.typeText(c.box, c.text);
        EXPECT_EQ(e.model.refusalOf(c.box), c.refusal) << c.text;
        // The save says the same.
        if (!c.refusal.empty()) {
            const Outcome saved = e.model.saveBios(e.dir.file("x.rom").string(), kRomFilterEntry);
            EXPECT_EQ(saved.detail, c.refusal);
        }
        e.model.revertControl(c.box);
    }
    EXPECT_EQ(e.model.refusalOf(Control::Core3D), "") << "the file's own value is never refused";
}

TEST(FieldState, TheHintGivesUnitRangeAndTheFilesValue) {
    Editor e;
    e.open(test::sampleBytes("fx5600.rom"));
    const std::string memory = e.model.controlHint(Control::Mem2D);
    EXPECT_NE(memory.find("2D memory clock, in MHz, real clock; the DDR rate is twice it."),
              std::string::npos);
    EXPECT_NE(memory.find("The save takes 0 to 655 MHz."), std::string::npos);
    EXPECT_NE(memory.find("In the file: 250 MHz."), std::string::npos);
    EXPECT_EQ(e.model.controlHint(Control::Mem3D).find("In the file"), std::string::npos)
        << "no 3D memory clock";
    EXPECT_NE(e.model.controlHint(Control::TimingC).find("Tick \"Edit memory timings\" to read it."),
              std::string::npos);
    EXPECT_NE(e.model.controlHint(Control::Voltage2D).find("in volts"), std::string::npos);
}

TEST(ProposedSavePath, IsTheNextFreeModNameBesideTheOpenFile) {
    Editor e;
    EXPECT_EQ(e.model.proposedSavePath([](const std::string&) { return false; }), "");
    const auto path = e.open(test::sampleBytes("fx5600.rom"), "card.ROM");
    const std::string folder = path.parent_path().string() + "/";
    std::set<std::string> taken;
    const auto isTaken = [&taken](const std::string& p) { return taken.count(p) != 0; };
    EXPECT_EQ(e.model.proposedSavePath(isTaken), folder + "card-mod.rom");
    taken = {folder + "card-mod.rom", folder + "card-mod-2.rom"};
    EXPECT_EQ(e.model.proposedSavePath(isTaken), folder + "card-mod-3.rom");
    // After a save as card-mod.rom, the next proposal is card-mod-2.rom, not card-mod-mod.rom.
    e.model.typeText(Control::Core3D, "330");
    ASSERT_TRUE(e.model.saveBios(folder + "card-mod.rom", kRomFilterEntry).ok());
    taken = {folder + "card-mod.rom"};
    EXPECT_EQ(e.model.proposedSavePath(isTaken), folder + "card-mod-2.rom");
}

} // namespace
} // namespace zfx
