// SPDX-License-Identifier: MIT
#pragma once

#include "editor/editor_model.h"
#include "editor/window_controls.h"

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zfx {

// A value given in order after the window's: a performance level's ("80h:memory.3"), or a box's
// or a list's given after a level's, so that the later of two values for one thing wins.
struct OrderedValue {
    std::string name;               // how messages name it: "--level 80h:core", "levels.80h.core"
    std::optional<Control> control; // a box or list; absent for a level's value
    std::string cell;               // a level's value: "80h:core"
    std::string value;
};

// The values a user asks the window to take, control by control, as set's options or a settings
// file give them. Lists take "1.5", "1.5V" or "#position"; boxes take their text; a level's values
// take MHz (with two decimals on GeForce FX), a voltage of the table ("1.44", "1.44V") or a fan %.
struct ValueRequest {
    bool generalMode = false;
    bool timings = false;                    // tick "Edit memory timings" even without a timing value
    std::map<Control, std::string> voltages; // list -> wanted entry, applied in the window's order
    std::map<Control, std::string> boxes;    // edit box -> text, typed in the window's order
    std::vector<OrderedValue> ordered;       // then these, in their order
};

using ControlName = std::string (*)(Control);

// What becomes of a value the card does not have (its tick, list or box is disabled): it stops the
// request like any other refusal, or it is left out and named.
enum class LackingValues { Refuse, Skip };

struct RequestApplied {
    std::optional<std::string> refused; // the value that stopped the request, and why
    std::vector<std::string> skipped;   // the values the card lacks, left out, in the window's order
};

// Ticks the boxes, picks the voltages and types the values a request asks for, in the window's
// order, as a user would. The first one the card does not allow stops it; its text names the
// control as nameOf does ("--core-3d: the box is not available for this card."). With
// LackingValues::Skip a value the card does not have is named in skipped instead; a value the card
// has but does not take (a voltage the list lacks, a text that is no number) still stops it. A
// missing "Edit memory timings" is named only when the request asks for the tick itself; the timing
// boxes it would enable are named one by one.
RequestApplied applyRequest(EditorModel& model, const ValueRequest& request, ControlName nameOf,
                            LackingValues lacking);
std::optional<std::string> applyRequest(EditorModel& model, const ValueRequest& request, ControlName nameOf);

// A settings file: the editable values of one card, for the same card or another of its kind.
// Version 2 adds the performance levels ("levels"); a reader takes version 1 and 2 and refuses any
// other.
inline constexpr int kSettingsVersion = 2;
inline constexpr const char* kSettingsFormat = "zorvane-fx-settings";
// A settings file is a few hundred bytes and nests its values two levels deep; a reader refuses a
// file larger than this, or nested deeper, before it parses it.
inline constexpr std::size_t kMaxSettingsBytes = std::size_t{1024} * 1024;
inline constexpr int kMaxSettingsDepth = 32;

struct Settings {
    int version = kSettingsVersion;
    std::string device;      // "10DE:0333", as pciIdText writes it
    std::string biosVersion; // as the window shows it
    ValueRequest values;
};

// The values the window shows: every enabled box and every list with a selection, whether
// general mode is ticked, and every value of every performance level (each memory copy on its own).
Settings settingsShown(const EditorModel& model);

// The settings as JSON: the format's name and version, the device and BIOS version, then the
// values by the keys of info --json: "voltages" {"2d", "throttle", "3d"}, "clocks" {"core2d", ...},
// "timings" {"A" .. "F"}, and "levels" {"80h": {"core", "memory.0" .. , "voltage", "fan"}} where
// the image has performance levels.
std::string settingsText(const Settings& settings);

struct SettingsRead {
    std::optional<Settings> settings;
    std::string error; // why the text is not a settings file of a known version, one sentence
};
// Reads the text exactly: a NUL byte, deeper nesting than kMaxSettingsDepth, a key the format does
// not have (at the top or in a group), a value of the wrong kind or a version other than
// kSettingsVersion is refused, and the error names the key ("clocks.core3d: ...") or the line and
// column.
SettingsRead readSettings(std::string_view text);

// Why the settings do not belong to the open image's card ("made for 10DE:0333, this image is
// 10DE:0045"); absent when the device is the same. The hex digits compare in either case.
std::optional<std::string> otherDevice(const Settings& settings, const EditorModel& model);

// Applies settings to the window as applyRequest does, naming controls by their keys in the file
// ("clocks.core3d"). A list that already shows the wanted voltage is left alone, so applying an
// image's own settings changes nothing. With LackingValues::Skip the values the card does not have
// are left out and named by their keys, as applyRequest does.
RequestApplied applySettings(EditorModel& model, const Settings& settings, LackingValues lacking);
std::optional<std::string> applySettings(EditorModel& model, const Settings& settings);

// A settings file read through the file layer, as images are read: a plain file only, never
// waiting on a pipe or a device, and of at most kMaxSettingsBytes.
struct SettingsFileRead {
    std::optional<Settings> settings;
    std::string error;       // the file layer's cause, or why the text is no settings file
    bool unreadable = false; // the file itself could not be read, rather than read and refused
};
SettingsFileRead readSettingsFile(ImageFiles& files, const std::string& path);

// How applying a settings file to the window ended.
struct SettingsApplied {
    std::optional<std::string> otherCard; // why the settings are another card's, when they are
    bool declined = false;                // another card's, and the front end said not to apply them
    std::optional<std::string> refused;   // the first value the window refused, as applySettings says
    std::vector<std::string> skipped;     // the keys of the values the card lacks, with LackingValues::Skip
};
// Applies settings as every front end does: settings made for another card go on only when
// mayApplyToOtherCard, given why they are another card's, says so; then applySettings.
SettingsApplied applySettingsFile(EditorModel& model, const Settings& settings,
                                  const std::function<bool(const std::string& why)>& mayApplyToOtherCard,
                                  LackingValues lacking = LackingValues::Refuse);

// A control's key in a settings file: "voltages.3d", "clocks.core3d", "timings.A", "generalMode";
// "Edit memory timings" is the group "timings".
std::string settingsKey(Control control);

} // namespace zfx
