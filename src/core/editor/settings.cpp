// SPDX-License-Identifier: MIT
#include "editor/settings.h"

#include "structure/performance_levels.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <exception>
#include <span>

namespace zfx {

namespace {

// Voltage texts compared as hundredths of a volt, so "1.50" finds "1.5V".
std::optional<long> hundredthsOfVolt(std::string text) {
    if (!text.empty() && (text.back() == 'V' || text.back() == 'v')) text.pop_back();
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
    try {
        std::size_t used = 0;
        const double volts = std::stod(text, &used);
        if (used != text.size()) return std::nullopt;
        return std::lround(volts * 100);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The position that "#2" names, or -1 when what follows the '#' is no whole number.
int listPosition(const std::string& wanted) {
    try {
        std::size_t used = 0;
        const int position = std::stoi(wanted.substr(1), &used);
        return used + 1 == wanted.size() ? position : -1;
    } catch (const std::exception&) {
        return -1;
    }
}

bool sameVoltage(const std::string& entry, const std::string& wanted) {
    const auto target = hundredthsOfVolt(wanted);
    return entry == wanted || entry == wanted + "V" || (target && hundredthsOfVolt(entry) == target);
}

// The first entry that is the wanted voltage as the list writes it, without its "V", or as the
// same number of hundredths; -1 when there is none.
int matchingEntry(const ComboBox& list, const std::string& wanted) {
    for (std::size_t i = 0; i < list.entries.size(); ++i)
        if (sameVoltage(list.entries[i], wanted)) return static_cast<int>(i);
    return -1;
}

// The entries for the error that finds none of them: "1.3V, 1.4V", or "nothing".
std::string offeredEntries(const ComboBox& list) {
    std::string offered;
    for (const auto& entry : list.entries)
        offered += (offered.empty() ? "" : ", ") + entry;
    return offered.empty() ? "nothing" : offered;
}

// Why a value was not set, and whether that is because the card does not have it at all.
struct Unset {
    std::string why;
    bool cardLacksIt = false;
};

std::optional<Unset> chooseVoltage(EditorModel& model, Control combo, const std::string& wanted,
                                   const std::string& name) {
    const ComboBox& list = model.form().combo(combo);
    if (!list.enabled) return Unset{name + ": the list is not available for this card.", true};
    int position = -1;
    if (!wanted.empty() && wanted[0] == '#') {
        position = listPosition(wanted);
        if (position < 0 || position >= static_cast<int>(list.entries.size()))
            return Unset{name + ": the list has no position " + wanted.substr(1) + "."};
    } else {
        position = matchingEntry(list, wanted);
        if (position < 0)
            return Unset{name + ": no entry " + wanted + " (the list offers " + offeredEntries(list) + ")."};
    }
    model.selectEntry(combo, position);
    return std::nullopt;
}

std::optional<Unset> typeIntoBox(EditorModel& model, Control edit, const std::string& value,
                                 const std::string& name) {
    if (!EditorModel::acceptsTypedText(value))
        return Unset{name + ": \"" + value + "\" is not a number (the box takes digits only)."};
    if (!model.form().edit(edit).enabled)
        return Unset{name + ": the box is not available for this card.", true};
    model.typeText(edit, value);
    model.keyReleased(edit);
    return std::nullopt;
}

// A level's value as a user gives it: a value the image lacks, and a text that is no number or no
// voltage of the table, stop the request here; a number out of range is the save's to refuse.
std::optional<Unset> setLevelValue(EditorModel& model, const OrderedValue& given) {
    if (given.cell.empty()) return Unset{given.name + ": write ID:FIELD=VALUE, such as 80h:core=350."};
    const LevelCellRead read = readLevelCell(given.cell);
    if (!read.cell) return Unset{given.name + ": " + read.error};
    if (!model.levels())
        return Unset{given.name + ": the image has no performance table whose levels could be changed.",
                     true};
    if (const auto lacking = lackingCell(*model.levels(), *read.cell))
        return Unset{given.name + ": " + *lacking, true};
    const LevelValueRead value = readLevelValue(*model.levels(), *read.cell, given.value);
    if (value.notANumber) return Unset{given.name + ": " + value.refusal};
    if (const auto why = model.setLevelText(*read.cell, given.value)) return Unset{given.name + ": " + *why};
    return std::nullopt;
}

// A value given in order: a level's, or a box's or a list's named as it was given.
std::optional<Unset> setOrderedValue(EditorModel& model, const OrderedValue& value) {
    if (!value.control) return setLevelValue(model, value);
    if (controlInfo(*value.control).kind == ControlKind::List)
        return chooseVoltage(model, *value.control, value.value, value.name);
    return typeIntoBox(model, *value.control, value.value, value.name);
}

std::optional<Unset> tick(EditorModel& model, Control box, const std::string& name) {
    if (!model.form().check(box).enabled)
        return Unset{name + ": " + std::string(controlInfo(box).label) + " is not available for this card.",
                     true};
    model.setChecked(box, true);
    return std::nullopt;
}

using Json = nlohmann::ordered_json;

std::string keyOf(Control control) {
    return std::string(controlInfo(control).jsonKey);
}

// A value as a message shows it: a list or an object by its kind, a long text by its length, any
// other value as the file writes it ("yes" in quotes, -5, null).
std::string described(const Json& value) {
    constexpr std::size_t kLongestShown = 40;
    if (value.is_array()) return "a list";
    if (value.is_object()) return "an object";
    if (value.is_string() && value.get_ref<const std::string&>().size() > kLongestShown)
        return "a text of " + std::to_string(value.get_ref<const std::string&>().size()) + " bytes";
    return value.dump(-1, ' ', true, Json::error_handler_t::replace);
}

// "clocks.core3d: the value is a list, but it must be a whole number or a text."
std::string wrongKind(const std::string& path, const Json& value, const char* wanted) {
    return path + ": the value is " + described(value) + ", but it must be " + wanted + ".";
}

// A value of the file as the box takes it: a whole number, or a text.
std::optional<std::string> valueText(const Json& value) {
    if (value.is_number_unsigned()) return std::to_string(value.get<std::uint64_t>());
    if (value.is_string()) return value.get<std::string>();
    return std::nullopt;
}

// The groups of values, by their keys in the file: the controls their keys name, and where a
// request holds them.
struct Group {
    const char* key;
    std::span<const Control> controls;
    std::map<Control, std::string> ValueRequest::*values;
};
constexpr std::array kGroups{Group{"voltages", kVoltageLists, &ValueRequest::voltages},
                             Group{"clocks", kClockBoxesByMode, &ValueRequest::boxes},
                             Group{"timings", kTimingBoxes, &ValueRequest::boxes}};
// The performance levels' values, from version 2 on: {"80h": {"core": "325", "memory.0": ...}}.
constexpr const char* kLevelsKey = "levels";

// Reads the levels' values into the request, in the file's order; the error for anything else.
std::optional<std::string> readLevels(const Json& file, ValueRequest& into) {
    if (!file.contains(kLevelsKey)) return std::nullopt;
    const Json& levels = file.at(kLevelsKey);
    if (!levels.is_object()) return wrongKind(kLevelsKey, levels, "an object");
    for (const auto& [id, fields] : levels.items()) {
        std::string levelPath = kLevelsKey;
        levelPath += "." + id;
        if (!fields.is_object()) return wrongKind(levelPath, fields, "an object");
        for (const auto& [field, value] : fields.items()) {
            std::string path = levelPath;
            path += "." + field;
            std::string name = id;
            name += ":" + field;
            const LevelCellRead cell = readLevelCell(name);
            if (!cell.cell) return path + ": a settings file has no such key.";
            const std::optional<std::string> text = valueText(value);
            if (!text) return wrongKind(path, value, "a whole number or a text");
            into.ordered.push_back({path, std::nullopt, levelCellName(*cell.cell), *text});
        }
    }
    return std::nullopt;
}

// The keys at the top besides the groups and "generalMode".
constexpr std::array<std::string_view, 4> kFields{"format", "version", "device", "biosVersion"};

// Reads one group of the file ("clocks") into the controls it names; the error for anything else.
std::optional<std::string> readGroup(const Json& file, const Group& group, ValueRequest& into) {
    if (!file.contains(group.key)) return std::nullopt;
    const Json& values = file.at(group.key);
    if (!values.is_object()) return wrongKind(group.key, values, "an object");
    for (const auto& [key, value] : values.items()) {
        const std::string path = std::string(group.key) + "." + key;
        const auto control = std::find_if(group.controls.begin(), group.controls.end(),
                                          [&key = key](Control c) { return keyOf(c) == key; });
        if (control == group.controls.end()) return path + ": a settings file has no such key.";
        const std::optional<std::string> text = valueText(value);
        if (!text) return wrongKind(path, value, "a whole number or a text");
        (into.*group.values)[*control] = *text;
    }
    return std::nullopt;
}

std::optional<std::string> stringField(const Json& file, const char* key, std::string& into) {
    if (!file.contains(key)) return std::nullopt;
    if (!file.at(key).is_string()) return wrongKind(key, file.at(key), "a text");
    into = file.at(key).get<std::string>();
    return std::nullopt;
}

// The first key at the top of the file that the format of its version does not have.
std::optional<std::string> unknownKey(const Json& file, std::uint64_t version) {
    for (const auto& [key, value] : file.items()) {
        const bool known = std::find(kFields.begin(), kFields.end(), key) != kFields.end() ||
                           key == keyOf(Control::GeneralMode) || (key == kLevelsKey && version >= 2) ||
                           std::any_of(kGroups.begin(), kGroups.end(),
                                       [&key = key](const Group& g) { return key == g.key; });
        if (!known) return key;
    }
    return std::nullopt;
}

// Where a byte of the text is, as an editor counts from 1: "line 3, column 7".
std::string placeOf(std::string_view text, std::size_t offset) {
    const std::string_view before = text.substr(0, std::min(offset, text.size()));
    const std::size_t lastBreak = before.rfind('\n');
    const std::size_t lineStart = lastBreak == std::string_view::npos ? 0 : lastBreak + 1;
    const auto breaks = std::count(before.begin(), before.end(), '\n');
    return "line " + std::to_string(breaks + 1) + ", column " + std::to_string(before.size() - lineStart + 1);
}

// Where the text opens a level of brackets deeper than kMaxSettingsDepth, counting only brackets
// outside strings: in JSON these are all the levels there are. npos when it never does.
std::size_t tooDeepAt(std::string_view text) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            inString = escaped || c != '"';
            escaped = !escaped && c == '\\';
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxSettingsDepth) return i;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return std::string_view::npos;
}

// Parses the text into file, or says why it cannot: it is empty, holds a NUL byte, nests deeper
// than any walk of it may go, or is not JSON.
std::optional<std::string> parsed(std::string_view text, Json& file) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return "The settings file is empty.";
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos)
        return "The settings file holds a NUL byte at " + placeOf(text, nul) + "; a settings file is text.";
    if (const std::size_t deep = tooDeepAt(text); deep != std::string_view::npos)
        return "The settings file nests its values more than " + std::to_string(kMaxSettingsDepth) +
               " levels deep at " + placeOf(text, deep) + ".";
    try {
        file = Json::parse(text);
    } catch (const Json::parse_error& error) {
        // The parser counts bytes from 1, and one past the end when the text stops too soon.
        if (error.byte > text.size())
            return "The settings file ends at " + placeOf(text, text.size()) +
                   " before its JSON is complete.";
        return "The settings file is not valid JSON at " + placeOf(text, error.byte - 1) + ".";
    }
    return std::nullopt;
}

// Why the file is not a settings file of the version this editor reads.
std::optional<std::string> formatAndVersion(const Json& file) {
    if (!file.contains("format")) return R"(The file is not a settings file: it has no "format" key.)";
    if (file.at("format") != kSettingsFormat)
        return R"(The file is not a settings file: its "format" is )" + described(file.at("format")) +
               ", not \"" + kSettingsFormat + "\".";
    if (!file.contains("version")) return R"(The settings file has no "version" key.)";
    const Json& version = file.at("version");
    const bool known = version.is_number_unsigned() && version.get<std::uint64_t>() >= 1 &&
                       version.get<std::uint64_t>() <= std::uint64_t{kSettingsVersion};
    if (!known)
        return "The settings file has version " + described(version) +
               ", but this editor reads versions 1 and " + std::to_string(kSettingsVersion) + " only.";
    return std::nullopt;
}

} // namespace

RequestApplied applyRequest(EditorModel& model, const ValueRequest& request, ControlName nameOf,
                            LackingValues lacking) {
    const bool anyTiming = std::any_of(request.boxes.begin(), request.boxes.end(), [](const auto& box) {
        return std::find(kTimingBoxes.begin(), kTimingBoxes.end(), box.first) != kTimingBoxes.end();
    });
    RequestApplied applied;
    // What became of one control's value: set, left out (named unless told not to), or refused.
    auto settle = [&](Control control, std::optional<Unset> unset, bool named = true) {
        if (!unset) return;
        if (!unset->cardLacksIt || lacking == LackingValues::Refuse)
            applied.refused = std::move(unset->why);
        else if (named)
            applied.skipped.push_back(nameOf(control));
    };
    if (request.generalMode)
        settle(Control::GeneralMode, tick(model, Control::GeneralMode, nameOf(Control::GeneralMode)));
    if (!applied.refused && (request.timings || anyTiming))
        settle(Control::TimingEdit, tick(model, Control::TimingEdit, nameOf(Control::TimingEdit)),
               request.timings);
    for (const auto& [combo, wanted] : request.voltages)
        if (!applied.refused) settle(combo, chooseVoltage(model, combo, wanted, nameOf(combo)));
    for (const auto& [edit, value] : request.boxes)
        if (!applied.refused) settle(edit, typeIntoBox(model, edit, value, nameOf(edit)));
    for (const OrderedValue& value : request.ordered) {
        if (applied.refused) break;
        std::optional<Unset> unset = setOrderedValue(model, value);
        if (unset && (!unset->cardLacksIt || lacking == LackingValues::Refuse))
            applied.refused = std::move(unset->why);
        else if (unset)
            applied.skipped.push_back(value.name);
    }
    return applied;
}

std::optional<std::string> applyRequest(EditorModel& model, const ValueRequest& request, ControlName nameOf) {
    return applyRequest(model, request, nameOf, LackingValues::Refuse).refused;
}

std::string settingsKey(Control control) {
    const ControlInfo& info = controlInfo(control);
    switch (info.kind) {
    case ControlKind::List:
        return "voltages." + keyOf(control);
    case ControlKind::CheckBox:
        return control == Control::TimingEdit ? "timings" : keyOf(control);
    case ControlKind::EditBox:
        break;
    }
    const bool timing = std::find(kTimingBoxes.begin(), kTimingBoxes.end(), control) != kTimingBoxes.end();
    return (timing ? "timings." : "clocks.") + keyOf(control);
}

Settings settingsShown(const EditorModel& model) {
    const FormState& form = model.form();
    Settings settings;
    settings.device = pciIdText(model.analysis().data.identity);
    settings.biosVersion = form.biosVersion;
    settings.values.generalMode = form.check(Control::GeneralMode).ticked;
    for (const Control list : kVoltageLists) {
        const ComboBox& combo = form.combo(list);
        if (combo.enabled && combo.selected >= 0 && combo.selected < static_cast<int>(combo.entries.size()))
            settings.values.voltages[list] = combo.entries[static_cast<std::size_t>(combo.selected)];
    }
    for (const Control box : kEditBoxes) {
        const EditBox& edit = form.edit(box);
        if (edit.enabled && !edit.text.empty()) settings.values.boxes[box] = edit.text;
    }
    // Each memory copy on its own: the copies of other memory configurations come back as they were.
    if (model.levels())
        for (const EditableLevel& level : model.levels()->levels)
            for (const LevelCell& cell : cellsOf(level)) {
                if (cell.field == LevelField::Memory) continue;
                const std::string name = levelCellName(cell);
                const std::size_t colon = name.find(':');
                settings.values.ordered.push_back(
                    {std::string(kLevelsKey) + "." + name.substr(0, colon) + "." + name.substr(colon + 1),
                     std::nullopt, name, model.levelText(cell)});
            }
    return settings;
}

std::string settingsText(const Settings& settings) {
    Json file{{"format", kSettingsFormat},
              {"version", settings.version},
              {"device", settings.device},
              {"biosVersion", settings.biosVersion},
              {keyOf(Control::GeneralMode), settings.values.generalMode}};
    Json voltages = Json::object();
    for (const Control list : kVoltageLists)
        if (const auto it = settings.values.voltages.find(list); it != settings.values.voltages.end())
            voltages[keyOf(list)] = it->second;
    // Box texts are digits only; they are written as numbers.
    auto numbers = [&](const auto& boxes) {
        Json group = Json::object();
        for (const Control box : boxes)
            if (const auto it = settings.values.boxes.find(box); it != settings.values.boxes.end()) {
                const std::string& text = it->second;
                const bool number = !text.empty() && text.size() < 10 && EditorModel::acceptsTypedText(text);
                group[keyOf(box)] = number ? Json(std::stoul(text)) : Json(text);
            }
        return group;
    };
    file["voltages"] = voltages;
    file["clocks"] = numbers(kClockBoxesByMode);
    file["timings"] = numbers(kTimingBoxes);
    Json levels = Json::object();
    for (const OrderedValue& value : settings.values.ordered) {
        if (value.control) continue;
        const std::size_t colon = value.cell.find(':');
        levels[value.cell.substr(0, colon)][value.cell.substr(colon + 1)] = value.value;
    }
    if (!levels.empty()) file[kLevelsKey] = levels;
    return file.dump(2, ' ', true, Json::error_handler_t::replace) + "\n";
}

SettingsRead readSettings(std::string_view text) {
    Json file;
    if (std::optional<std::string> error = parsed(text, file)) return {std::nullopt, std::move(*error)};
    if (!file.is_object())
        return {std::nullopt, "The settings file is " + described(file) + ", but it must be an object."};
    if (std::optional<std::string> error = formatAndVersion(file)) return {std::nullopt, std::move(*error)};
    const auto version = file.at("version").get<std::uint64_t>();
    if (const std::optional<std::string> key = unknownKey(file, version))
        return {std::nullopt, *key + (*key == kLevelsKey ? ": a settings file of version 1 has no such key."
                                                         : ": a settings file has no such key.")};
    Settings settings;
    settings.version = static_cast<int>(version);
    std::optional<std::string> error = stringField(file, "device", settings.device);
    if (!error) error = stringField(file, "biosVersion", settings.biosVersion);
    const std::string general = keyOf(Control::GeneralMode);
    if (!error && file.contains(general)) {
        if (file.at(general).is_boolean())
            settings.values.generalMode = file.at(general).get<bool>();
        else
            error = wrongKind(general, file.at(general), "true or false");
    }
    for (const Group& group : kGroups)
        if (!error) error = readGroup(file, group, settings.values);
    if (!error) error = readLevels(file, settings.values);
    if (error) return {std::nullopt, std::move(*error)};
    return {std::move(settings), {}};
}

std::optional<std::string> otherDevice(const Settings& settings, const EditorModel& model) {
    const std::string device = pciIdText(model.analysis().data.identity);
    // "10de:0333" is the card pciIdText writes "10DE:0333".
    const auto sameDigit = [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
    };
    if (std::equal(settings.device.begin(), settings.device.end(), device.begin(), device.end(), sameDigit))
        return std::nullopt;
    auto named = [](const std::string& id) { return id.empty() ? std::string("no device") : id; };
    return "The settings were made for " + named(settings.device) + ", this image is " + named(device) + ".";
}

SettingsFileRead readSettingsFile(ImageFiles& files, const std::string& path) {
    // A larger file is refused by its size before a byte of it is read.
    const ReadResult file = files.read(path, kMaxSettingsBytes);
    if (file.tooLarge)
        return {std::nullopt,
                "The file is " + std::to_string(file.fileSize) +
                    " bytes long; a settings file is at most 1 MiB (" + std::to_string(kMaxSettingsBytes) +
                    " bytes).",
                true};
    if (!file.ok()) return {std::nullopt, file.error, true};
    SettingsRead read =
        readSettings(std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()));
    return {std::move(read.settings), std::move(read.error), false};
}

SettingsApplied applySettingsFile(EditorModel& model, const Settings& settings,
                                  const std::function<bool(const std::string& why)>& mayApplyToOtherCard,
                                  LackingValues lacking) {
    SettingsApplied applied;
    applied.otherCard = otherDevice(settings, model);
    if (applied.otherCard && !mayApplyToOtherCard(*applied.otherCard)) {
        applied.declined = true;
        return applied;
    }
    RequestApplied done = applySettings(model, settings, lacking);
    applied.refused = std::move(done.refused);
    applied.skipped = std::move(done.skipped);
    return applied;
}

RequestApplied applySettings(EditorModel& model, const Settings& settings, LackingValues lacking) {
    ValueRequest request = settings.values;
    // A list that shows the wanted voltage already keeps its selection: another entry of the same
    // voltage may have another code.
    if (request.generalMode == model.form().check(Control::GeneralMode).ticked)
        std::erase_if(request.voltages, [&](const auto& wanted) {
            const ComboBox& list = model.form().combo(wanted.first);
            return list.selected >= 0 && list.selected < static_cast<int>(list.entries.size()) &&
                   sameVoltage(list.entries[static_cast<std::size_t>(list.selected)], wanted.second);
        });
    // Another card numbers its levels its own way: its levels are left out, named once.
    const bool otherCard = otherDevice(settings, model).has_value();
    const bool levelsLeftOut =
        otherCard && std::erase_if(request.ordered, [](const OrderedValue& v) { return !v.control; }) > 0;
    RequestApplied applied = applyRequest(model, request, settingsKey, lacking);
    if (levelsLeftOut && !applied.refused && lacking == LackingValues::Skip)
        applied.skipped.emplace_back(kLevelsKey);
    return applied;
}

std::optional<std::string> applySettings(EditorModel& model, const Settings& settings) {
    return applySettings(model, settings, LackingValues::Refuse).refused;
}

} // namespace zfx
