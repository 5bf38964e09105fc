// SPDX-License-Identifier: MIT
// The decoded BIOS structure and the check against it, as zorvane-fx-cli structure and verify give them.
#include "cli.h"

#include "structure/rom_structure.h"
#include "structure/structure_check.h"

#include <nlohmann/json.hpp>

namespace zfx::cli {

namespace {

using json = nlohmann::ordered_json;

json clockJson(const PerfClock& clock) {
    return {{"offset", clock.offset}, {"width", clock.width}, {"value", clock.value}};
}

} // namespace

json structureCheckJson(const StructureCheck& check) {
    json verdicts = json::array();
    for (const Finding& f : check.findings)
        verdicts.push_back({{"subject", subjectName(f)},
                            {"table", tableName(f)},
                            {"verdict", agreementName(f.severity)},
                            {"text", f.text},
                            {"found", offsetsNamed(f, "found")},
                            {"structure", offsetsNamed(f, "structure")}});
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
    json tokens = json::array();
    for (const BitToken& t : bit.tokens)
        tokens.push_back({{"id", std::string(1, t.id)},
                          {"version", t.version},
                          {"offset", t.offset},
                          {"dataLength", t.dataLength},
                          {"dataOffset", t.dataOffset}});
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
    json memory = json::array();
    for (const PerfClock& clock : level.memory)
        memory.push_back(clockJson(clock));
    return {{"offset", level.offset},
            {"id", level.id},
            {"core", clockJson(level.core)},
            {"memory", memory},
            {"voltage", level.voltage ? json(*level.voltage) : json(nullptr)},
            {"voltageOffset", level.voltage ? json(level.voltageOffset) : json(nullptr)},
            {"timingBlock", level.timingBlock ? json(level.timingBlock) : json(nullptr)},
            {"timingIndices", level.timingIndices}};
}

json perfJson(const PerfTable& perf) {
    json levels = json::array();
    for (const PerfLevel& level : perf.levels)
        levels.push_back(levelJson(level));
    return {{"offset", perf.offset},
            {"version", perf.version},
            {"known", perf.known},
            {"headerLength", perf.headerLength},
            {"entryLength", perf.entryLength},
            {"levels", levels}};
}

json voltageJson(const StructureVoltageTable& table) {
    json entries = json::array();
    for (const StructureVoltage& e : table.entries)
        entries.push_back({{"offset", e.offset}, {"voltage", e.voltage}, {"vid", e.vid}});
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
    json programs = json::array();
    for (const RestrictedProgram& p : scripts.programs)
        programs.push_back({{"offset", p.offset},
                            {"register", p.reg},
                            {"count", p.count},
                            {"valuesOffset", p.valuesOffset}});
    json plls = json::array();
    for (const PllSetting& p : scripts.plls)
        plls.push_back(
            {{"offset", p.offset}, {"opcode", p.opcode}, {"register", p.reg}, {"values", p.values}});
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
    json images = json::array();
    for (const OptionRomImage& rom : s.chain.images)
        images.push_back(
            {{"start", rom.start}, {"length", rom.length()}, {"codeType", rom.codeType}, {"last", rom.last}});
    out["images"] = images;
    out["bmp"] = partJson(s.bmp, bmpJson);
    out["bit"] = partJson(s.bit, bitJson);
    out["perfTable"] = partJson(s.perf, perfJson);
    out["voltageTable"] = partJson(s.voltage, voltageJson);
    out["timingTable"] = partJson(s.timing, timingJson);
    out["initScripts"] = partJson(s.scripts, scriptsJson);
    json problems = json::array();
    for (const DecodeProblem& problem : s.problems)
        problems.push_back(problem.text);
    out["problems"] = problems;
    return out;
}

} // namespace zfx::cli
