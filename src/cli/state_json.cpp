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
    return {
        {"file", f.Pfad},
        {"device", f.devicename},
        {"deviceText", c.deviceText},
        {"biosVersion", f.Biosversion},
        {"vendor", f.manufactor},
        {"flags", c.flags.names()},
        {"generalMode", checkJson(f.check(1))},
        {"timingEdit", checkJson(f.check(2))},
        {"voltages",
         {{"2d", listJson(f.combo(1))}, {"throttle", listJson(f.combo(2))}, {"3d", listJson(f.combo(3))}}},
        {"clocks",
         {{"core2d", editJson(f.edit(1))},
          {"mem2d", editJson(f.edit(4))},
          {"coreThrottle", editJson(f.edit(2))},
          {"memThrottle", editJson(f.edit(5))},
          {"core3d", editJson(f.edit(3))},
          {"mem3d", editJson(f.edit(6))}}},
        {"memoryRates", {{"2d", f.StaticText22}, {"throttle", f.StaticText21}, {"3d", f.StaticText20}}},
        {"timings",
         {{"A", editJson(f.edit(7))},
          {"B", editJson(f.edit(8))},
          {"C", editJson(f.edit(9))},
          {"D", editJson(f.edit(10))},
          {"E", editJson(f.edit(11))},
          {"F", editJson(f.edit(12))}}},
        {"offsets",
         {{"pciData", c.pciDataOffset},
          {"voltageTable", c.voltageTableOffset},
          {"clockTable", c.clockTableOffset},
          {"timingA", c.timingAOffset}}},
        {"messages", messages},
        {"warnings", host.warnings},
    };
}

} // namespace zfx::cli
