// SPDX-License-Identifier: MIT
#include "test_support.h"

#include <gtest/gtest.h>

namespace zfx {
namespace {

using test::Editor;

// Every reader of the pending save reads the one plan the last change made: the preview of the
// levels, the bytes it writes, the change list. A keystroke plans once, a key release or a
// repeated read not at all.
TEST(PendingSave, AKeystrokePlansTheSaveOnceWhoeverReadsIt) {
    Editor e;
    e.open(test::sampleBytes("fx5900-xt.rom"));
    const std::size_t atOpen = e.model.savesPlanned();
    e.model.typeText(Control::Mem2D, "37");
    e.model.keyReleased(Control::Mem2D);
    for (int reads = 0; reads < 3; ++reads) {
        EXPECT_FALSE(e.model.levelsPreview().levels.empty());
        EXPECT_TRUE(e.model.plannedSave().plan);
        EXPECT_FALSE(e.model.pendingSave().planned.plan->changes.empty());
        (void)e.model.refusalOf(Control::Mem2D);
    }
    EXPECT_EQ(e.model.savesPlanned(), atOpen + 1);
    e.model.typeText(Control::Mem2D, "375");
    EXPECT_EQ(e.model.savesPlanned(), atOpen + 2);
    e.model.typeText(Control::Mem2D, "375"); // the same text: no change, no plan
    e.model.undo();
    EXPECT_EQ(e.model.savesPlanned(), atOpen + 3);
}

// Save BIOS writes the plan the window showed, and tells the host the file and its report.
TEST(PendingSave, TheSaveWritesThePlanItHoldsAndTellsTheHost) {
    Editor e;
    e.open(test::sampleBytes("fx5950-ultra.rom"));
    e.model.typeText(Control::Core3D, "500");
    e.model.selectEntry(Control::Voltage3D, 0);
    const SavePlan pending = *e.model.plannedSave().plan;
    ASSERT_FALSE(pending.changes.empty());
    const std::vector<std::uint8_t> saved = e.save("out.rom");
    EXPECT_EQ(saved, pending.after.image.bytes());
    ASSERT_TRUE(e.model.lastSave());
    ASSERT_EQ(e.host.savedFiles.size(), 1u);
    EXPECT_EQ(e.host.savedFiles[0].first, (e.dir.path() / "out.rom").string());
    EXPECT_EQ(e.host.savedFiles[0].second, e.model.lastSave()->lines());
    EXPECT_EQ(e.model.lastSave()->changes.size(), pending.changes.size());
    // After the save nothing is pending: the plan of the unchanged window writes the same bytes.
    EXPECT_EQ(e.model.plannedSave().plan->after.image.bytes(), saved);
    EXPECT_TRUE(e.model.plannedSave().plan->changes.empty());
}

// The plan's change list is the one a comparison of the two images gives, value for value.
TEST(PendingSave, ThePlansChangesAreTheComparisonsOfTheTwoImages) {
    for (const std::string& name : test::supportedSampleNames()) {
        SCOPED_TRACE(name);
        Editor e;
        e.open(test::sampleBytes(name));
        for (const Control box : kClockBoxes)
            if (e.form().edit(box).enabled) e.model.typeText(box, "301");
        const SavePlanResult& planned = e.model.plannedSave();
        ASSERT_TRUE(planned.plan);
        const ImageComparison compared =
            compareImages(e.analysis(), planned.plan->after, planned.plan->checksumOffset);
        ASSERT_EQ(planned.plan->changes.size(), compared.fields.size());
        for (std::size_t i = 0; i < compared.fields.size(); ++i)
            EXPECT_EQ(changeLine(planned.plan->changes[i]), changeLine(compared.fields[i]));
        EXPECT_EQ(checksumLine(planned.plan->checksumChange), checksumLine(compared.checksum));
    }
}

} // namespace
} // namespace zfx
