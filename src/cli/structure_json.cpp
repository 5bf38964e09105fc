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

json romStructureJson(const RomStructure& s) {
    json out = json::object();
    json images = json::array();
    for (const OptionRomImage& rom : s.chain.images)
        images.push_back(
            {{"start", rom.start}, {"length", rom.length()}, {"codeType", rom.codeType}, {"last", rom.last}});
    out["images"] = images;
    if (s.bmp)
        out["bmp"] = {{"offset", s.bmp->offset},
                      {"version", std::to_string(s.bmp->major) + "." + std::to_string(s.bmp->minor)},
                      {"major", s.bmp->major},
                      {"minor", s.bmp->minor},
                      {"checksumOk", s.bmp->checksumOk},
                      {"biosVersion", s.bmp->biosVersion},
                      {"perfTable", s.bmp->perfPointer},
                      {"voltageTable", s.bmp->voltagePointer},
                      {"initScripts", s.bmp->scriptPointer}};
    else
        out["bmp"] = nullptr;
    if (s.bit) {
        json tokens = json::array();
        for (const BitToken& t : s.bit->tokens)
            tokens.push_back({{"id", std::string(1, t.id)},
                              {"version", t.version},
                              {"offset", t.offset},
                              {"dataLength", t.dataLength},
                              {"dataOffset", t.dataOffset}});
        out["bit"] = {{"offset", s.bit->offset},
                      {"version", s.bit->version},
                      {"checksumOk", s.bit->checksumOk},
                      {"tokens", tokens},
                      {"perfTable", s.bit->perfPointer},
                      {"timingTable", s.bit->timingPointer},
                      {"voltageTable", s.bit->voltagePointer},
                      {"initScripts", s.bit->scriptPointer}};
    } else {
        out["bit"] = nullptr;
    }
    if (s.perf) {
        json levels = json::array();
        for (const PerfLevel& level : s.perf->levels) {
            json memory = json::array();
            for (const PerfClock& clock : level.memory)
                memory.push_back(clockJson(clock));
            levels.push_back({{"offset", level.offset},
                              {"id", level.id},
                              {"core", clockJson(level.core)},
                              {"memory", memory},
                              {"voltage", level.voltage ? json(*level.voltage) : json(nullptr)},
                              {"voltageOffset", level.voltage ? json(level.voltageOffset) : json(nullptr)},
                              {"timingBlock", level.timingBlock ? json(level.timingBlock) : json(nullptr)},
                              {"timingIndices", level.timingIndices}});
        }
        out["perfTable"] = {{"offset", s.perf->offset},
                            {"version", s.perf->version},
                            {"known", s.perf->known},
                            {"headerLength", s.perf->headerLength},
                            {"entryLength", s.perf->entryLength},
                            {"levels", levels}};
    } else {
        out["perfTable"] = nullptr;
    }
    if (s.voltage) {
        json entries = json::array();
        for (const StructureVoltage& e : s.voltage->entries)
            entries.push_back({{"offset", e.offset}, {"voltage", e.voltage}, {"vid", e.vid}});
        out["voltageTable"] = {{"offset", s.voltage->offset},
                               {"version", s.voltage->version},
                               {"known", s.voltage->known},
                               {"mask", s.voltage->mask},
                               {"entries", entries}};
    } else {
        out["voltageTable"] = nullptr;
    }
    if (s.timing)
        out["timingTable"] = {{"offset", s.timing->offset},
                              {"version", s.timing->version},
                              {"known", s.timing->known},
                              {"entryLength", s.timing->entryLength},
                              {"entries", s.timing->entries}};
    else
        out["timingTable"] = nullptr;
    if (s.scripts) {
        json programs = json::array();
        for (const RestrictedProgram& p : s.scripts->programs)
            programs.push_back({{"offset", p.offset},
                                {"register", p.reg},
                                {"count", p.count},
                                {"valuesOffset", p.valuesOffset}});
        json plls = json::array();
        for (const PllSetting& p : s.scripts->plls)
            plls.push_back(
                {{"offset", p.offset}, {"opcode", p.opcode}, {"register", p.reg}, {"values", p.values}});
        out["initScripts"] = {{"offset", s.scripts->tableOffset},
                              {"scripts", s.scripts->scripts},
                              {"commands", s.scripts->commandCount},
                              {"restrictedPrograms", programs},
                              {"plls", plls}};
    } else {
        out["initScripts"] = nullptr;
    }
    json problems = json::array();
    for (const DecodeProblem& problem : s.problems)
        problems.push_back(problem.text);
    out["problems"] = problems;
    return out;
}

} // namespace zfx::cli
