// SPDX-License-Identifier: MIT
#include "editor/settings.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <exception>

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

std::optional<std::string> chooseVoltage(EditorModel& model, Control combo, const std::string& wanted,
                                         const std::string& name) {
    const ComboBox& list = model.form().combo(combo);
    if (!list.enabled) return name + ": the list is not available for this card.";
    int position = -1;
    if (!wanted.empty() && wanted[0] == '#') {
        position = listPosition(wanted);
        if (position < 0 || position >= static_cast<int>(list.entries.size()))
            return name + ": the list has no position " + wanted.substr(1) + ".";
    } else {
        position = matchingEntry(list, wanted);
        if (position < 0)
            return name + ": no entry " + wanted + " (the list offers " + offeredEntries(list) + ").";
    }
    model.selectEntry(combo, position);
    return std::nullopt;
}

std::optional<std::string> typeIntoBox(EditorModel& model, Control edit, const std::string& value,
                                       const std::string& name) {
    if (!EditorModel::acceptsTypedText(value))
        return name + ": \"" + value + "\" is not a number (the box takes digits only).";
    if (!model.form().edit(edit).enabled) return name + ": the box is not available for this card.";
    model.typeText(edit, value);
    model.keyReleased(edit);
    return std::nullopt;
}

using Json = nlohmann::ordered_json;

std::string keyOf(Control control) {
    return std::string(controlInfo(control).jsonKey);
}

// A value of the file as the box takes it: a whole number, or a text.
std::optional<std::string> valueText(const Json& value) {
    if (value.is_number_unsigned()) return std::to_string(value.get<std::uint64_t>());
    if (value.is_string()) return value.get<std::string>();
    return std::nullopt;
}

// Reads one group of the file ("clocks") into the controls it names; the error for anything else.
template <std::size_t N>
std::optional<std::string> readGroup(const Json& file, const char* group,
                                     const std::array<Control, N>& controls,
                                     std::map<Control, std::string>& into) {
    if (!file.contains(group)) return std::nullopt;
    const Json& values = file.at(group);
    if (!values.is_object()) return std::string(group) + " is not an object.";
    for (const auto& [key, value] : values.items()) {
        const auto control = std::find_if(controls.begin(), controls.end(),
                                          [&key = key](Control c) { return keyOf(c) == key; });
        if (control == controls.end())
            return std::string(group) + "." + key + " is no value this editor knows.";
        const std::optional<std::string> text = valueText(value);
        if (!text) return std::string(group) + "." + key + " is neither a whole number nor a text.";
        into[*control] = *text;
    }
    return std::nullopt;
}

std::optional<std::string> stringField(const Json& file, const char* key, std::string& into) {
    if (!file.contains(key)) return std::nullopt;
    if (!file.at(key).is_string()) return std::string(key) + " is not a text.";
    into = file.at(key).get<std::string>();
    return std::nullopt;
}

} // namespace

std::optional<std::string> applyRequest(EditorModel& model, const ValueRequest& request, ControlName nameOf) {
    const bool anyTiming = std::any_of(request.boxes.begin(), request.boxes.end(), [](const auto& box) {
        return std::find(kTimingBoxes.begin(), kTimingBoxes.end(), box.first) != kTimingBoxes.end();
    });
    std::optional<std::string> refused;
    auto tick = [&](Control box) {
        if (!model.form().check(box).enabled)
            refused =
                nameOf(box) + ": " + std::string(controlInfo(box).label) + " is not available for this card.";
        else
            model.setChecked(box, true);
    };
    if (request.generalMode) tick(Control::GeneralMode);
    if (!refused && (request.timings || anyTiming)) tick(Control::TimingEdit);
    for (const auto& [combo, wanted] : request.voltages)
        if (!refused) refused = chooseVoltage(model, combo, wanted, nameOf(combo));
    for (const auto& [edit, value] : request.boxes)
        if (!refused) refused = typeIntoBox(model, edit, value, nameOf(edit));
    return refused;
}

std::string settingsKey(Control control) {
    const ControlInfo& info = controlInfo(control);
    switch (info.kind) {
    case ControlKind::List:
        return "voltages." + keyOf(control);
    case ControlKind::CheckBox:
        return keyOf(control);
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
    return file.dump(2, ' ', true, Json::error_handler_t::replace) + "\n";
}

SettingsRead readSettings(std::string_view text) {
    const Json file = Json::parse(text, nullptr, false);
    if (file.is_discarded()) return {std::nullopt, "The settings file is no JSON."};
    if (!file.is_object() || !file.contains("format") || file.at("format") != kSettingsFormat)
        return {std::nullopt, std::string(R"(The file is no settings file: its "format" is not ")") +
                                  kSettingsFormat + "\"."};
    if (!file.contains("version") || !file.at("version").is_number_integer())
        return {std::nullopt, "The settings file has no version."};
    Settings settings;
    settings.version = file.at("version").get<int>();
    if (settings.version != kSettingsVersion)
        return {std::nullopt, "The settings file has version " + std::to_string(settings.version) +
                                  "; this editor reads version " + std::to_string(kSettingsVersion) + "."};
    std::optional<std::string> error = stringField(file, "device", settings.device);
    if (!error) error = stringField(file, "biosVersion", settings.biosVersion);
    const std::string general = keyOf(Control::GeneralMode);
    if (!error && file.contains(general)) {
        if (file.at(general).is_boolean())
            settings.values.generalMode = file.at(general).get<bool>();
        else
            error = general + " is not true or false.";
    }
    if (!error) error = readGroup(file, "voltages", kVoltageLists, settings.values.voltages);
    if (!error) error = readGroup(file, "clocks", kClockBoxesByMode, settings.values.boxes);
    if (!error) error = readGroup(file, "timings", kTimingBoxes, settings.values.boxes);
    if (error) return {std::nullopt, "The settings file is not valid: " + *error};
    return {std::move(settings), {}};
}

std::optional<std::string> otherDevice(const Settings& settings, const EditorModel& model) {
    const std::string device = pciIdText(model.analysis().data.identity);
    if (settings.device == device) return std::nullopt;
    auto named = [](const std::string& id) { return id.empty() ? std::string("no device") : id; };
    return "The settings were made for " + named(settings.device) + ", this image is " + named(device) + ".";
}

SettingsFileRead readSettingsFile(ImageFiles& files, const std::string& path) {
    const ReadResult file = files.read(path);
    if (!file.ok()) return {std::nullopt, file.error, true};
    SettingsRead read =
        readSettings(std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()));
    return {std::move(read.settings), std::move(read.error), false};
}

SettingsApplied applySettingsFile(EditorModel& model, const Settings& settings,
                                  const std::function<bool(const std::string& why)>& mayApplyToOtherCard) {
    SettingsApplied applied;
    applied.otherCard = otherDevice(settings, model);
    if (applied.otherCard && !mayApplyToOtherCard(*applied.otherCard)) {
        applied.declined = true;
        return applied;
    }
    applied.refused = applySettings(model, settings);
    return applied;
}

std::optional<std::string> applySettings(EditorModel& model, const Settings& settings) {
    ValueRequest request = settings.values;
    // A list that shows the wanted voltage already keeps its selection: another entry of the same
    // voltage may have another code.
    if (request.generalMode == model.form().check(Control::GeneralMode).ticked)
        std::erase_if(request.voltages, [&](const auto& wanted) {
            const ComboBox& list = model.form().combo(wanted.first);
            return list.selected >= 0 && list.selected < static_cast<int>(list.entries.size()) &&
                   sameVoltage(list.entries[static_cast<std::size_t>(list.selected)], wanted.second);
        });
    return applyRequest(model, request, settingsKey);
}

} // namespace zfx
