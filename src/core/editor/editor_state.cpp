// SPDX-License-Identifier: MIT
#include "editor/editor_state.h"

#include "editor/editor_model.h"
#include "structure/performance_levels.h"
#include "text/number_text.h"

#include <nlohmann/json.hpp>

namespace zfx {

namespace {

using Json = nlohmann::ordered_json;

Json editJson(const EditBox& box) {
    return {{"text", box.text}, {"enabled", box.enabled}};
}

Json listJson(const ComboBox& list) {
    return {{"entries", list.entries}, {"selected", list.selected}, {"enabled", list.enabled}};
}

Json checkJson(const CheckBox& check) {
    return {{"enabled", check.enabled}, {"ticked", check.ticked}};
}

std::string keyOf(Control control) {
    return std::string(controlInfo(control).jsonKey);
}

// One memory copy or core clock of a level, in MHz, with its place.
Json levelClockJson(const PerfClock& clock, bool hundredths) {
    return {{"mhz", hundredths ? clock.value / 100.0 : static_cast<double>(clock.value)},
            {"offset", clock.offset}};
}

Json levelMemoryJson(const PerfLevel& level, bool hundredths) {
    if (level.memory.empty()) return nullptr;
    Json copies = Json::array();
    bool agree = true;
    for (const PerfClock& copy : level.memory) {
        copies.push_back(levelClockJson(copy, hundredths));
        agree = agree && copy.value == level.memory.front().value;
    }
    return {{"mhz", levelClockJson(level.memory.front(), hundredths)["mhz"]},
            {"agree", agree},
            {"copies", copies}};
}

// The performance levels as the structure decodes them, each value with its place; empty when
// the image has no decoded levels.
Json levelsJson(const RomStructure& structure) {
    Json levels = Json::array();
    if (!structure.perf || !structure.perf->known) return levels;
    const bool hundredths = clocksInHundredths(*structure.perf);
    for (const PerfLevel& level : structure.perf->levels) {
        Json item{
            {"id", level.id}, {"offset", level.offset}, {"core", levelClockJson(level.core, hundredths)}};
        item["memory"] = levelMemoryJson(level, hundredths);
        item["voltage"] = level.voltage
                              ? Json{{"volts", *level.voltage / 100.0}, {"offset", level.voltageOffset}}
                              : Json(nullptr);
        item["fan"] = level.fan ? Json{{"percent", *level.fan}, {"offset", level.fanOffset}} : Json(nullptr);
        levels.push_back(std::move(item));
    }
    return levels;
}

Json controlsJson(const std::vector<Control>& controls, const FormState& form) {
    Json json = Json::object();
    for (const Control control : controls)
        json[keyOf(control)] = controlInfo(control).kind == ControlKind::List ? listJson(form.combo(control))
                                                                              : editJson(form.edit(control));
    return json;
}

// Of each box and list: whether it differs from the file, why a save would refuse its text, and
// what it holds in words.
Json marksJson(const EditorModel& model) {
    Json marks = Json::object();
    for (const ControlInfo& info : kControls) {
        if (info.kind == ControlKind::CheckBox) continue;
        marks[std::string(info.jsonKey)] = {{"changed", model.changedFromFile(info.control)},
                                            {"refusal", model.refusalOf(info.control)},
                                            {"hint", model.controlHint(info.control)}};
    }
    return marks;
}

Json levelsShownJson(const LevelsPreview& preview) {
    Json rows = Json::array();
    for (const LevelSummary& level : preview.levels)
        rows.push_back({{"id", level.id},
                        {"core", level.core},
                        {"memory", level.memory},
                        {"copies", level.copyCount},
                        {"copiesText", level.copies},
                        {"voltage", level.voltage},
                        {"text", levelText(level)}});
    return {{"heading", preview.heading}, {"rows", rows}};
}

std::string_view levelFieldKey(LevelField field) {
    switch (field) {
    case LevelField::Core:
        return "core";
    case LevelField::Memory:
        return "memory";
    case LevelField::MemoryCopy:
        return "memoryCopy";
    case LevelField::Voltage:
        return "voltage";
    case LevelField::Fan:
        return "fan";
    }
    return "";
}

// One value of a level as its cell shows it: the text, its mark and tool tip, where its bytes lie,
// and the mode box or list that shows the same value.
Json levelCellJson(const EditorModel& model, const LevelCell& cell) {
    const std::optional<Control> linked = model.linkedControl(cell);
    return {{"name", levelCellName(cell)},
            {"field", levelFieldKey(cell.field)},
            {"copy", cell.field == LevelField::MemoryCopy ? Json(cell.copy) : Json(nullptr)},
            {"text", model.levelText(cell)},
            {"unit", levelUnit(cell)},
            {"changed", model.levelChangedFromFile(cell)},
            {"refusal", model.levelRefusal(cell)},
            {"hint", model.levelHint(cell)},
            {"place", model.levelPlaceOf(cell)},
            {"linked", linked ? Json(keyOf(*linked)) : Json(nullptr)}};
}

// The levels as the window's table lets the user change them; null when the image has none.
Json levelTableJson(const EditorModel& model) {
    const std::optional<EditableLevels>& levels = model.levels();
    if (!levels) return nullptr;
    Json voltages = Json::array();
    for (const std::uint8_t voltage : levels->tableVoltages)
        voltages.push_back(fixedHundredthsText(voltage));
    Json rows = Json::array();
    for (const EditableLevel& level : levels->levels) {
        Json cells = Json::array();
        for (const LevelCell& cell : cellsOf(level))
            cells.push_back(levelCellJson(model, cell));
        rows.push_back({{"id", hexByte(level.id)}, {"cells", std::move(cells)}});
    }
    return {{"voltages", std::move(voltages)}, {"levels", std::move(rows)}};
}

Json statusJson(const EditorModel& model) {
    const bool opened = !model.analysis().image.empty();
    return {{"opened", opened},
            {"imageCheck", opened ? model.imageCheck().line() : std::string("No image open")},
            {"imageCheckDetails", opened ? model.imageCheck().details() : std::string()},
            {"imagePassed", !opened || model.imageCheck().passed()},
            {"structureCheck", opened ? model.structureCheck().line() : std::string()},
            {"structureCheckDetails", opened ? model.structureCheck().details() : std::string()},
            {"contradicted", opened && model.structureCheck().contradicted()}};
}

} // namespace

Json pciIdsJson(const CardIdentity& id) {
    auto text = [](const std::string& value) { return value.empty() ? Json(nullptr) : Json(value); };
    const bool knownVendor = id.subsystemVendorId && id.vendorName != kUnknownVendor;
    return {{"device", text(pciIdText(id))},
            {"subsystem", text(subsystemIdText(id))},
            {"subsystemVendor", knownVendor ? Json(id.vendorName) : Json(nullptr)}};
}

std::string jsonLine(const Json& value) {
    return value.dump(-1, ' ', true, Json::error_handler_t::replace);
}

Json editorStateJson(const EditorModel& model, const std::vector<Message>& messages,
                     const std::vector<std::string>& warnings) {
    const FormState& f = model.form();
    const CardState& c = model.card();
    Json messageTexts = Json::array();
    for (const Message& message : messages)
        messageTexts.push_back(message.text);
    const std::vector<Control> clockBoxes(kClockBoxesByMode.begin(), kClockBoxesByMode.end());
    Json state{
        {"file", f.filePath},
        {"device", f.deviceName},
        {"deviceText", c.identity.deviceText},
        {"biosVersion", f.biosVersion},
        {"vendor", f.vendorName},
        {"flags", c.identity.flags.names()},
        {"pciIds", pciIdsJson(model.analysis().data.identity)},
        {keyOf(Control::GeneralMode), checkJson(f.check(Control::GeneralMode))},
        {keyOf(Control::TimingEdit), checkJson(f.check(Control::TimingEdit))},
        {"voltages", controlsJson({kVoltageLists.begin(), kVoltageLists.end()}, f)},
        {"clocks", controlsJson(clockBoxes, f)},
        {"memoryRates",
         {{"2d", f.memoryRate(Control::Mem2D)},
          {"throttle", f.memoryRate(Control::MemThrottle)},
          {"3d", f.memoryRate(Control::Mem3D)}}},
        {"timings", controlsJson({kTimingBoxes.begin(), kTimingBoxes.end()}, f)},
        {"offsets",
         {{"pciData", c.offsets.pciData},
          {"voltageTable", c.offsets.voltageTable},
          {"clockTable", c.offsets.clockTable},
          {"timingA", c.offsets.timingA}}},
        {"messages", messageTexts},
        {"warnings", warnings},
    };
    // Where the image's structure gives performance levels: what the card runs at each.
    Json levels = levelsJson(model.analysis().structure);
    if (!levels.empty()) state["levels"] = std::move(levels);
    return state;
}

Json windowViewJson(const EditorModel& model) {
    const FormState& f = model.form();
    return {{"title", model.windowTitle()},
            {"caption", f.caption},
            {"file", visibleText(f.filePath)},
            {"biosVersion", visibleText(f.biosVersion)},
            {"marks", marksJson(model)},
            {"canUndo", model.canUndo()},
            {"canRedo", model.canRedo()},
            {"modified", model.modified()},
            {"levels", levelsShownJson(model.levelsPreview())},
            {"levelTable", levelTableJson(model)},
            {"status", statusJson(model)}};
}

} // namespace zfx
