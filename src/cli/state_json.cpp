// SPDX-License-Identifier: MIT
#include "cli.h"
#include "editor_model.h"
#include "recording_host.h"

#include <nlohmann/json.hpp>

namespace zfx::cli {

namespace {

nlohmann::ordered_json editJson(const EditBox& box) {
    return {{"text", box.text}, {"enabled", box.enabled}};
}

nlohmann::ordered_json listJson(const ComboBox& list) {
    return {{"entries", list.entries}, {"selected", list.selected}, {"enabled", list.enabled}};
}

nlohmann::ordered_json checkJson(const CheckBox& check) {
    return {{"enabled", check.enabled}, {"ticked", check.ticked}};
}

} // namespace

nlohmann::ordered_json stateJson(const EditorModel& model, const RecordingHost& host) {
    const FormState& f = model.form();
    const CardState& c = model.card();
    nlohmann::ordered_json messages = nlohmann::ordered_json::array();
    for (const Message& message : host.messages)
        messages.push_back(message.text);
    auto keyOf = [](Control control) { return std::string(controlInfo(control).jsonKey); };
    nlohmann::ordered_json voltages = nlohmann::ordered_json::object();
    for (const Control list : kVoltageLists)
        voltages[keyOf(list)] = listJson(f.combo(list));
    nlohmann::ordered_json clocks = nlohmann::ordered_json::object();
    for (const Control box : kClockBoxesByMode)
        clocks[keyOf(box)] = editJson(f.edit(box));
    nlohmann::ordered_json timings = nlohmann::ordered_json::object();
    for (const Control box : kTimingBoxes)
        timings[keyOf(box)] = editJson(f.edit(box));
    return {
        {"file", f.Pfad},
        {"device", f.devicename},
        {"deviceText", c.identity.deviceText},
        {"biosVersion", f.Biosversion},
        {"vendor", f.manufactor},
        {"flags", c.identity.flags.names()},
        {keyOf(Control::GeneralMode), checkJson(f.check(Control::GeneralMode))},
        {keyOf(Control::TimingEdit), checkJson(f.check(Control::TimingEdit))},
        {"voltages", voltages},
        {"clocks", clocks},
        {"memoryRates",
         {{"2d", f.memoryRate(Control::Mem2D)},
          {"throttle", f.memoryRate(Control::MemThrottle)},
          {"3d", f.memoryRate(Control::Mem3D)}}},
        {"timings", timings},
        {"offsets",
         {{"pciData", c.offsets.pciData},
          {"voltageTable", c.offsets.voltageTable},
          {"clockTable", c.offsets.clockTable},
          {"timingA", c.offsets.timingA}}},
        {"messages", messages},
        {"warnings", host.warnings},
    };
}

} // namespace zfx::cli
