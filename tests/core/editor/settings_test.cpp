// SPDX-License-Identifier: MIT
// The settings file: what the window shows, written and read back, and applied to the window.
#include "editor/settings.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zfx {
namespace {

bool operator==(const ValueRequest& a, const ValueRequest& b) {
    return a.generalMode == b.generalMode && a.timings == b.timings && a.voltages == b.voltages &&
           a.boxes == b.boxes;
}

TEST(Settings, WrittenAndReadBackAreTheSame) {
    for (const std::string& name : test::supportedSampleNames()) {
        SCOPED_TRACE(name);
        test::Editor editor;
        editor.open(test::sampleBytes(name));
        editor.model.setChecked(Control::TimingEdit, true);
        const Settings shown = settingsShown(editor.model);
        EXPECT_FALSE(shown.values.boxes.empty());
        const SettingsRead read = readSettings(settingsText(shown));
        ASSERT_TRUE(read.settings) << read.error;
        EXPECT_EQ(read.settings->device, shown.device);
        EXPECT_EQ(read.settings->biosVersion, shown.biosVersion);
        EXPECT_TRUE(read.settings->values == shown.values);
    }
}

// An image's own settings change no byte, even where a list has two entries of one voltage.
TEST(Settings, AnImagesOwnSettingsChangeNothing) {
    for (const std::string& name : test::supportedSampleNames()) {
        SCOPED_TRACE(name);
        test::Editor editor;
        editor.open(test::sampleBytes(name));
        editor.model.setChecked(Control::TimingEdit, true);
        const Settings own = settingsShown(editor.model);
        EXPECT_FALSE(otherDevice(own, editor.model));
        EXPECT_EQ(applySettings(editor.model, own), std::nullopt);
        const SavePlanResult planned = editor.model.plannedSave();
        ASSERT_TRUE(planned.plan);
        EXPECT_EQ(planned.plan->after.image.bytes(), editor.analysis().image.bytes());
    }
}

TEST(Settings, ARefusalNamesTheValueByItsKey) {
    const std::vector<std::pair<Control, std::string>> keys{{Control::Voltage3D, "voltages.3d"},
                                                            {Control::CoreThrottle, "clocks.coreThrottle"},
                                                            {Control::TimingF, "timings.F"},
                                                            {Control::GeneralMode, "generalMode"}};
    for (const auto& [control, key] : keys)
        EXPECT_EQ(settingsKey(control), key);
    test::Editor editor;
    editor.open(test::sampleBytes("fx5950-ultra.rom"));
    Settings settings = settingsShown(editor.model);
    settings.values.boxes[Control::Core3D] = "fast";
    EXPECT_EQ(applySettings(editor.model, settings),
              std::string("clocks.core3d: \"fast\" is not a number (the box takes digits only)."));
}

} // namespace
} // namespace zfx
