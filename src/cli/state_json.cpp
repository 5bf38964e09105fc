// SPDX-License-Identifier: MIT
#include "analysis/image_comparison.h"
#include "checks/image_check.h"
#include "cli.h"
#include "editor/editor_model.h"
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

// The performance levels as the structure decodes them, each value with its place; empty when
// the image has no decoded levels.
nlohmann::ordered_json levelsJson(const RomStructure& structure) {
    nlohmann::ordered_json levels = nlohmann::ordered_json::array();
    if (!structure.perf || !structure.perf->known) return levels;
    const bool hundredths = clocksInHundredths(*structure.perf);
    auto clock = [&](const PerfClock& c) {
        return nlohmann::ordered_json{{"mhz", hundredths ? c.value / 100.0 : static_cast<double>(c.value)},
                                      {"offset", c.offset}};
    };
    for (const PerfLevel& level : structure.perf->levels) {
        nlohmann::ordered_json item{{"id", level.id}, {"offset", level.offset}, {"core", clock(level.core)}};
        if (!level.memory.empty()) {
            nlohmann::ordered_json copies = nlohmann::ordered_json::array();
            bool agree = true;
            for (const PerfClock& copy : level.memory) {
                copies.push_back(clock(copy));
                agree = agree && copy.value == level.memory.front().value;
            }
            item["memory"] = {
                {"mhz", clock(level.memory.front())["mhz"]}, {"agree", agree}, {"copies", copies}};
        } else {
            item["memory"] = nullptr;
        }
        item["voltage"] = level.voltage ? nlohmann::ordered_json{{"volts", *level.voltage / 100.0},
                                                                 {"offset", level.voltageOffset}}
                                        : nlohmann::ordered_json(nullptr);
        levels.push_back(std::move(item));
    }
    return levels;
}

} // namespace

nlohmann::ordered_json pciIdsJson(const CardIdentity& id) {
    auto text = [](const std::string& value) {
        return value.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(value);
    };
    const bool knownVendor = id.subsystemVendorId && id.vendorName != kUnknownVendor;
    return {{"device", text(pciIdText(id))},
            {"subsystem", text(subsystemIdText(id))},
            {"subsystemVendor",
             knownVendor ? nlohmann::ordered_json(id.vendorName) : nlohmann::ordered_json(nullptr)}};
}

std::string jsonLine(const nlohmann::ordered_json& value) {
    return value.dump(-1, ' ', true, nlohmann::ordered_json::error_handler_t::replace);
}

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
    nlohmann::ordered_json state{
        {"file", f.Pfad},
        {"device", f.devicename},
        {"deviceText", c.identity.deviceText},
        {"biosVersion", f.Biosversion},
        {"vendor", f.manufactor},
        {"flags", c.identity.flags.names()},
        {"pciIds", pciIdsJson(model.analysis().data.identity)},
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
    // Where the image's structure gives performance levels: what the card runs at each.
    const nlohmann::ordered_json levels = levelsJson(model.analysis().structure);
    if (!levels.empty()) state["levels"] = levels;
    return state;
}

nlohmann::ordered_json changesJson(const std::vector<FieldChange>& changes) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const FieldChange& change : changes) {
        nlohmann::ordered_json item{{"field", change.caption},
                                    {"old", change.before},
                                    {"new", change.after},
                                    {"offsets", change.offsets}};
        if (!change.offsetsBefore.empty()) item["offsetsBefore"] = change.offsetsBefore;
        if (!change.levels.empty()) item["levels"] = change.levels;
        list.push_back(std::move(item));
    }
    return list;
}

nlohmann::ordered_json checksumJson(const ChecksumChange& checksum) {
    auto value = [](const std::optional<std::uint8_t>& byte) {
        return byte ? nlohmann::ordered_json(*byte) : nlohmann::ordered_json(nullptr);
    };
    return {{"old", value(checksum.before)}, {"new", value(checksum.after)}, {"offset", checksum.offset}};
}

nlohmann::ordered_json imageCheckJson(const ImageCheck& check, const OptionRomChain& chain) {
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    for (const Finding& item : check.findings) {
        nlohmann::ordered_json values = nlohmann::ordered_json::array();
        for (const FindingPlace& value : item.places)
            values.push_back({{"name", value.name},
                              {"value", value.value},
                              {"offset", value.offset ? nlohmann::ordered_json(*value.offset)
                                                      : nlohmann::ordered_json(nullptr)}});
        items.push_back({{"name", subjectName(item)},
                         {"verdict", verdictName(item.severity)},
                         {"text", item.text},
                         {"values", values}});
    }
    nlohmann::ordered_json images = nlohmann::ordered_json::array();
    for (const OptionRomImage& rom : chain.images)
        images.push_back({{"start", rom.start},
                          {"length", rom.length()},
                          {"vendor", rom.vendor},
                          {"device", rom.device},
                          {"codeType", rom.codeType},
                          {"last", rom.last}});
    return {{"passed", check.passed()}, {"line", check.line()}, {"checks", items}, {"images", images}};
}

} // namespace zfx::cli
