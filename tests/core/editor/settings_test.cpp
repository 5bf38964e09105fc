// SPDX-License-Identifier: MIT
// The settings file: what the window shows, written and read back, and applied to the window.
#include "editor/settings.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

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
        // The levels-only samples have no clock table the patterns find: their boxes show "--".
        EXPECT_EQ(shown.values.boxes.empty(), name.find("levels-only") != std::string::npos);
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
                                                            {Control::GeneralMode, "generalMode"},
                                                            {Control::TimingEdit, "timings"}};
    for (const auto& [control, key] : keys)
        EXPECT_EQ(settingsKey(control), key);
    test::Editor editor;
    editor.open(test::sampleBytes("fx5950-ultra.rom"));
    Settings settings = settingsShown(editor.model);
    settings.values.boxes[Control::Core3D] = "fast";
    EXPECT_EQ(applySettings(editor.model, settings),
              std::string("clocks.core3d: \"fast\" is not a number (the box takes digits only)."));
}

// What the reader refuses, and the one sentence that says what is wrong and where.
TEST(Settings, TheReaderRefusesAnythingButAKnownFileAndSaysWhereAndWhy) {
    const std::string head = R"({"format":"zorvane-fx-settings","version":1,)";
    const std::string v2 = R"({"format":"zorvane-fx-settings","version":2,)";
    struct Case {
        std::string text;
        std::string error;
    };
    const std::vector<Case> cases{
        {"", "The settings file is empty."},
        {" \n", "The settings file is empty."},
        {"{not json", "The settings file is not valid JSON at line 1, column 3."}, // "n" might begin null
        {"{\"format\" 1}", "The settings file is not valid JSON at line 1, column 11."},
        {"{\n  \"format\": \"zorvane-fx-settings\",\n  \"version\": 1,\n",
         "The settings file ends at line 4, column 1 before its JSON is complete."},
        {"[1]", "The settings file is a list, but it must be an object."},
        {R"({"version":1})", R"(The file is not a settings file: it has no "format" key.)"},
        {R"({"format":"other","version":1})",
         R"(The file is not a settings file: its "format" is "other", not "zorvane-fx-settings".)"},
        {R"({"format":"zorvane-fx-settings"})", R"(The settings file has no "version" key.)"},
        // 2^32 + 1 is no version 1, however an int would take it.
        {R"({"format":"zorvane-fx-settings","version":4294967297})",
         "The settings file has version 4294967297, but this editor reads versions 1 and 2 only."},
        {R"({"format":"zorvane-fx-settings","version":3})",
         "The settings file has version 3, but this editor reads versions 1 and 2 only."},
        {R"({"format":"zorvane-fx-settings","version":1,"levels":{}})",
         "levels: a settings file of version 1 has no such key."},
        {R"({"format":"zorvane-fx-settings","version":"1"})",
         R"(The settings file has version "1", but this editor reads versions 1 and 2 only.)"},
        {R"({"format":"zorvane-fx-settings","version":1.5})",
         "The settings file has version 1.5, but this editor reads versions 1 and 2 only."},
        {R"({"format":"zorvane-fx-settings","version":-1})",
         "The settings file has version -1, but this editor reads versions 1 and 2 only."},
        {head + R"("clock":{"core3d":450}})", "clock: a settings file has no such key."},
        {head + R"("clocks":{"core4d":300}})", "clocks.core4d: a settings file has no such key."},
        {head + R"("clocks":{"core3d":[450]}})",
         "clocks.core3d: the value is a list, but it must be a whole number or a text."},
        {head + R"("clocks":{"core3d":-5}})",
         "clocks.core3d: the value is -5, but it must be a whole number or a text."},
        {head + R"("timings":{"A":1.5}})",
         "timings.A: the value is 1.5, but it must be a whole number or a text."},
        {head + R"("voltages":{"3d":null}})",
         "voltages.3d: the value is null, but it must be a whole number or a text."},
        {head + R"("voltages":[]})", "voltages: the value is a list, but it must be an object."},
        {head + R"("device":333})", "device: the value is 333, but it must be a text."},
        {head + R"("biosVersion":{}})", "biosVersion: the value is an object, but it must be a text."},
        {v2 + R"("levels":[]})", "levels: the value is a list, but it must be an object."},
        {v2 + R"("levels":{"80h":5}})", "levels.80h: the value is 5, but it must be an object."},
        {v2 + R"("levels":{"80h":{"cor":"1"}}})", "levels.80h.cor: a settings file has no such key."},
        {v2 + R"("levels":{"8Zh":{"core":"1"}}})", "levels.8Zh.core: a settings file has no such key."},
        {v2 + R"("levels":{"80h":{"core":[1]}}})",
         "levels.80h.core: the value is a list, but it must be a whole number or a text."},
        {head + R"("generalMode":"yes"})",
         R"(generalMode: the value is "yes", but it must be true or false.)"},
        {head + R"("generalMode":")" + std::string(100, 'y') + "\"}",
         "generalMode: the value is a text of 100 bytes, but it must be true or false."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const SettingsRead read = readSettings(c.text);
        EXPECT_FALSE(read.settings);
        EXPECT_EQ(read.error, c.error);
    }
}

// Bytes after a NUL would be text no one sees in an editor: the file is refused at the NUL.
TEST(Settings, ATextWithANulByteIsRefusedAtTheNul) {
    const std::string valid = R"({"format":"zorvane-fx-settings","version":1,"device":"10DE:0333"})";
    for (const std::string& text :
         {valid + '\0' + R"({"clocks":{"core3d":999}})", std::string(1, '\0') + valid,
          "{\n" + valid.substr(1, 20) + '\0' + valid.substr(21)}) {
        SCOPED_TRACE("NUL at " + std::to_string(text.find('\0')) + " of " + std::to_string(text.size()));
        const std::size_t nul = text.find('\0');
        const std::size_t lineStart =
            text.rfind('\n', nul) == std::string::npos ? 0 : text.rfind('\n', nul) + 1;
        const auto line = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(nul), '\n') + 1;
        const SettingsRead read = readSettings(text);
        EXPECT_FALSE(read.settings);
        EXPECT_EQ(read.error, "The settings file holds a NUL byte at line " + std::to_string(line) +
                                  ", column " + std::to_string(nul - lineStart + 1) +
                                  "; a settings file is text.");
    }
    EXPECT_TRUE(readSettings(valid).settings);
}

// A settings file nests two levels deep. Deeper nesting is refused where it passes the limit, before
// anything walks it; brackets inside texts are no nesting.
TEST(Settings, NestingDeeperThanTheLimitIsRefusedWhereItPassesIt) {
    const std::string head = R"({"format":"zorvane-fx-settings","version":1,"a":)";
    auto nested = [&](std::size_t brackets) {
        return head + std::string(brackets, '[') + std::string(brackets, ']') + "}";
    };
    const auto limit = static_cast<std::size_t>(kMaxSettingsDepth);
    // The object itself is the first level: head and limit - 1 brackets reach the limit.
    const SettingsRead atTheLimit = readSettings(nested(limit - 1));
    EXPECT_EQ(atTheLimit.error, "a: a settings file has no such key.");
    for (const std::size_t brackets : {limit, limit + 1, std::size_t{70000}, std::size_t{500000}}) {
        SCOPED_TRACE(brackets);
        const SettingsRead read = readSettings(nested(brackets));
        EXPECT_FALSE(read.settings);
        EXPECT_EQ(read.error, "The settings file nests its values more than " + std::to_string(limit) +
                                  " levels deep at line 1, column " + std::to_string(head.size() + limit) +
                                  ".");
    }
    const std::string brackets(100, '[');
    const std::string inTexts = R"({"format":"zorvane-fx-settings","version":1,"device":")" + brackets +
                                R"(","biosVersion":"\")" + brackets + "\"}";
    const SettingsRead read = readSettings(inTexts);
    ASSERT_TRUE(read.settings) << read.error;
    EXPECT_EQ(read.settings->device, brackets);
    EXPECT_EQ(read.settings->biosVersion, "\"" + brackets);
}

// The PCI world writes hex digits in either case; "10de:0333" is the card "10DE:0333".
TEST(Settings, TheDeviceIsTheSameCardInEitherCase) {
    for (const std::string& name : test::supportedSampleNames()) {
        SCOPED_TRACE(name);
        test::Editor editor;
        editor.open(test::sampleBytes(name));
        Settings settings = settingsShown(editor.model);
        for (const bool upper : {false, true}) {
            for (char& c : settings.device)
                c = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(c))
                                            : std::tolower(static_cast<unsigned char>(c)));
            EXPECT_EQ(otherDevice(settings, editor.model), std::nullopt) << settings.device;
        }
        settings.device.back() = settings.device.back() == '0' ? '1' : '0';
        EXPECT_TRUE(otherDevice(settings, editor.model));
    }
}

// Another card's values on a card that lacks some of them: refused at the first, or, when asked,
// every value the card lacks left out and named by its key, and the rest set.
TEST(Settings, ValuesTheCardLacksAreSkippedAndNamedOnlyWhenAsked) {
    test::Editor source;
    source.open(test::sampleBytes("fx5950-ultra.rom"));
    source.model.setChecked(Control::TimingEdit, true);
    Settings settings = settingsShown(source.model);
    settings.values.voltages.clear(); // the lists differ from card to card; their entries are not lacking
    for (const std::string& name : test::supportedSampleNames()) {
        SCOPED_TRACE(name);
        // The boxes the card lacks, as its window shows them with the timings ticked where it can.
        test::Editor probe;
        probe.open(test::sampleBytes(name));
        if (probe.form().check(Control::TimingEdit).enabled)
            probe.model.setChecked(Control::TimingEdit, true);
        std::vector<std::string> lacking;
        for (const auto& [box, value] : settings.values.boxes)
            if (!probe.form().edit(box).enabled) lacking.push_back(settingsKey(box));
        // Another card's levels are left out as a whole, and named where what the card lacks is.
        std::vector<std::string> named = lacking;
        if (!settings.values.ordered.empty() && otherDevice(settings, probe.model))
            named.emplace_back("levels");

        test::Editor refusing;
        refusing.open(test::sampleBytes(name));
        const RequestApplied refused = applySettings(refusing.model, settings, LackingValues::Refuse);
        EXPECT_EQ(refused.refused.has_value(), !lacking.empty()) << refused.refused.value_or("");
        EXPECT_TRUE(refused.skipped.empty());

        test::Editor skipping;
        skipping.open(test::sampleBytes(name));
        const RequestApplied skipped = applySettings(skipping.model, settings, LackingValues::Skip);
        EXPECT_EQ(skipped.refused, std::nullopt);
        EXPECT_EQ(skipped.skipped, named);
        for (const auto& [box, value] : settings.values.boxes)
            if (std::find(lacking.begin(), lacking.end(), settingsKey(box)) == lacking.end()) {
                EXPECT_EQ(skipping.form().edit(box).text, value) << settingsKey(box);
            }
    }
}

// A value the card has but does not take stops even a request that skips what the card lacks.
TEST(Settings, SkippingLeavesOutOnlyWhatTheCardLacks) {
    test::Editor editor;
    editor.open(test::sampleBytes("fx5950-ultra.rom"));
    Settings settings = settingsShown(editor.model);
    settings.values.voltages[Control::Voltage3D] = "9.9";
    const RequestApplied applied = applySettings(editor.model, settings, LackingValues::Skip);
    ASSERT_TRUE(applied.refused);
    EXPECT_EQ(applied.refused->rfind("voltages.3d: no entry 9.9 (", 0), 0u) << *applied.refused;
    EXPECT_TRUE(applied.skipped.empty());
}

} // namespace
} // namespace zfx
