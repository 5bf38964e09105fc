// SPDX-License-Identifier: MIT
// The decoded BIOS structure and the check against it, as zorvane-fx-cli structure and verify give them.
#include "cli.h"

#include "structure/rom_structure.h"
#include "structure/structure_check.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace zfx::cli {

namespace {

using json = nlohmann::ordered_json;

// Each item of a list as JSON, in the list's order.
template <typename Item, typename ToJson> json arrayJson(const std::vector<Item>& items, ToJson toJson) {
    json array = json::array();
    for (const Item& item : items)
        array.push_back(toJson(item));
    return array;
}

json clockJson(const PerfClock& clock) {
    return {{"offset", clock.offset}, {"width", clock.width}, {"value", clock.value}};
}

} // namespace

json structureCheckJson(const StructureCheck& check) {
    const json verdicts = arrayJson(check.findings, [](const Finding& f) -> json {
        return {{"subject", subjectName(f)},
                {"table", tableName(f)},
                {"verdict", agreementName(f.severity)},
                {"text", f.text},
                {"found", offsetsNamed(f, "found")},
                {"structure", offsetsNamed(f, "structure")}};
    });
    return {{"line", check.line()}, {"contradicted", check.contradicted()}, {"verdicts", verdicts}};
}

namespace {

json bmpJson(const BmpStructure& bmp) {
    return {{"offset", bmp.offset},
            {"version", std::to_string(bmp.major) + "." + std::to_string(bmp.minor)},
            {"major", bmp.major},
            {"minor", bmp.minor},
            {"checksumOk", bmp.checksumOk},
            {"biosVersion", bmp.biosVersion},
            {"perfTable", bmp.perfPointer},
            {"voltageTable", bmp.voltagePointer},
            {"initScripts", bmp.scriptPointer}};
}

json bitJson(const BitStructure& bit) {
    const json tokens = arrayJson(bit.tokens, [](const BitToken& t) -> json {
        return {{"id", std::string(1, t.id)},
                {"version", t.version},
                {"offset", t.offset},
                {"dataLength", t.dataLength},
                {"dataOffset", t.dataOffset}};
    });
    return {{"offset", bit.offset},
            {"version", bit.version},
            {"checksumOk", bit.checksumOk},
            {"tokens", tokens},
            {"perfTable", bit.perfPointer},
            {"timingTable", bit.timingPointer},
            {"voltageTable", bit.voltagePointer},
            {"initScripts", bit.scriptPointer}};
}

json levelJson(const PerfLevel& level) {
    return {{"offset", level.offset},
            {"id", level.id},
            {"core", clockJson(level.core)},
            {"memory", arrayJson(level.memory, clockJson)},
            {"voltage", level.voltage ? json(*level.voltage) : json(nullptr)},
            {"voltageOffset", level.voltage ? json(level.voltageOffset) : json(nullptr)},
            {"timingBlock", level.timingBlock ? json(level.timingBlock) : json(nullptr)},
            {"timingIndices", level.timingIndices}};
}

json perfJson(const PerfTable& perf) {
    return {{"offset", perf.offset},
            {"version", perf.version},
            {"known", perf.known},
            {"headerLength", perf.headerLength},
            {"entryLength", perf.entryLength},
            {"levels", arrayJson(perf.levels, levelJson)}};
}

json voltageJson(const StructureVoltageTable& table) {
    const json entries = arrayJson(table.entries, [](const StructureVoltage& e) -> json {
        return {{"offset", e.offset}, {"voltage", e.voltage}, {"vid", e.vid}};
    });
    return {{"offset", table.offset},
            {"version", table.version},
            {"known", table.known},
            {"mask", table.mask},
            {"entries", entries}};
}

json timingJson(const TimingTable& table) {
    return {{"offset", table.offset},
            {"version", table.version},
            {"known", table.known},
            {"entryLength", table.entryLength},
            {"entries", table.entries}};
}

json scriptsJson(const InitScripts& scripts) {
    const json programs = arrayJson(scripts.programs, [](const RestrictedProgram& p) -> json {
        return {
            {"offset", p.offset}, {"register", p.reg}, {"count", p.count}, {"valuesOffset", p.valuesOffset}};
    });
    const json plls = arrayJson(scripts.plls, [](const PllSetting& p) -> json {
        return {{"offset", p.offset}, {"opcode", p.opcode}, {"register", p.reg}, {"values", p.values}};
    });
    return {{"offset", scripts.tableOffset},
            {"scripts", scripts.scripts},
            {"commands", scripts.commandCount},
            {"restrictedPrograms", programs},
            {"plls", plls}};
}

// A part of the structure as JSON, or null where the image has none.
template <typename Part> json partJson(const std::optional<Part>& part, json (*toJson)(const Part&)) {
    return part ? toJson(*part) : json(nullptr);
}

} // namespace

json romStructureJson(const RomStructure& s) {
    json out = json::object();
    out["images"] = arrayJson(s.chain.images, [](const OptionRomImage& rom) -> json {
        return {
            {"start", rom.start}, {"length", rom.length()}, {"codeType", rom.codeType}, {"last", rom.last}};
    });
    out["bmp"] = partJson(s.bmp, bmpJson);
    out["bit"] = partJson(s.bit, bitJson);
    out["perfTable"] = partJson(s.perf, perfJson);
    out["voltageTable"] = partJson(s.voltage, voltageJson);
    out["timingTable"] = partJson(s.timing, timingJson);
    out["initScripts"] = partJson(s.scripts, scriptsJson);
    out["problems"] = arrayJson(s.problems, [](const DecodeProblem& problem) { return json(problem.text); });
    return out;
}

} // namespace zfx::cli
