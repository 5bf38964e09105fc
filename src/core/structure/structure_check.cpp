// SPDX-License-Identifier: MIT
#include "structure/structure_check.h"

#include "tables/card_layout.h"
#include "text/number_text.h"

#include <algorithm>
#include <array>
#include <optional>

namespace zfx {

namespace {

constexpr const char* kNoStructure = "the image has no BMP or BIT structure";
constexpr std::int32_t kTimingBlockLength = 14;

// --- what the findings are made of ---

std::vector<FindingPlace> places(const std::vector<std::int32_t>& found,
                                 const std::vector<std::int32_t>& structure) {
    std::vector<FindingPlace> all;
    all.reserve(found.size() + structure.size());
    for (const std::int32_t at : found)
        all.push_back({"found", {}, at});
    for (const std::int32_t at : structure)
        all.push_back({"structure", {}, at});
    return all;
}

Finding finding(Subject subject, std::optional<CardField> field, Severity severity, std::string text,
                const std::vector<std::int32_t>& found = {},
                const std::vector<std::int32_t>& structure = {}) {
    return {subject, field, severity, std::move(text), {}, places(found, structure)};
}

Finding fieldFinding(CardField field, Severity severity, std::string text,
                     const std::vector<std::int32_t>& found = {},
                     const std::vector<std::int32_t>& structure = {}) {
    return finding(Subject::Field, field, severity, std::move(text), found, structure);
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}

std::string levelName(const PerfTable& perf, const PerfLevel& level) {
    const auto index = &level - perf.levels.data();
    return "level " + std::to_string(index) + " (id " + hexByte(level.id) + ")";
}

bool scriptWalkEndedEarly(const RomStructure& s) {
    return std::any_of(s.problems.begin(), s.problems.end(),
                       [](const DecodeProblem& problem) { return problem.area == DecodeArea::Scripts; });
}

// --- the voltage table ---

// The first entry the editor reads that the structure's voltage table does not have.
const StoredVoltage* entryNotInTable(const VoltageTable& found, const StructureVoltageTable& table) {
    for (const StoredVoltage& pair : found.stored) {
        const auto entry =
            std::find_if(table.entries.begin(), table.entries.end(),
                         [&](const StructureVoltage& e) { return e.offset == pair.voltageOffset; });
        if (entry == table.entries.end() || entry->voltage != pair.entry.voltage ||
            entry->vid != pair.entry.code)
            return &pair;
    }
    return nullptr;
}

// Whether the table the patterns found is the one the structure points to; the finding says how.
Finding checkVoltageTable(const RomStructure& s, const VoltageTable& found) {
    const std::vector<std::int32_t> where{found.offset};
    auto note = [&](std::string text, const std::vector<std::int32_t>& structure = {}) {
        return finding(Subject::VoltageTable, std::nullopt, Severity::Note, std::move(text), where,
                       structure);
    };
    if (!s.hasStructure()) return note(kNoStructure);
    if (!s.voltage) return note("the BIOS structure points to no voltage table");
    const StructureVoltageTable& table = *s.voltage;
    if (table.offset != found.offset)
        return finding(Subject::VoltageTable, std::nullopt, Severity::Problem,
                       "The voltage table was found at " + hexOffset(found.offset) +
                           ", but the BIOS structure points to one at " + hexOffset(table.offset) + ".",
                       where, {table.offset});
    if (!table.known)
        return note("the voltage table's version " + hexByte(table.version) + " is not known",
                    {table.offset});
    if (const StoredVoltage* missing = entryNotInTable(found, table))
        return finding(Subject::VoltageTable, std::nullopt, Severity::Problem,
                       "The editor reads a voltage entry at " + hexOffset(missing->voltageOffset) +
                           " that the voltage table at " + hexOffset(table.offset) + " (entries of " +
                           std::to_string(table.entryLength) + " bytes from " +
                           hexOffset(table.offset + table.headerLength) + ") does not have.",
                       {missing->voltageOffset}, {table.offset + table.headerLength});
    return finding(Subject::VoltageTable, std::nullopt, Severity::Passed,
                   "The voltage table at " + hexOffset(found.offset) +
                       " is where the BIOS structure points (version " + hexByte(table.version) + ", " +
                       std::to_string(table.entries.size()) + " entries), with the entries the editor reads.",
                   where, {table.offset});
}

Finding checkVoltageChoices(const VoltageTable& found, const StructureVoltageTable& table) {
    std::vector<std::string> guessed;
    for (const VoltageEntry& offered : found.offered) {
        const bool inTable =
            std::any_of(table.entries.begin(), table.entries.end(), [&](const StructureVoltage& e) {
                return e.voltage == offered.voltage && e.vid == offered.code;
            });
        if (!inTable)
            guessed.push_back(voltsText(static_cast<std::uint8_t>(offered.voltage)) + " (code " +
                              std::to_string(offered.code) + ")");
    }
    if (guessed.empty())
        return finding(Subject::VoltageChoices, std::nullopt, Severity::Passed,
                       "Every voltage the lists offer is an entry of the voltage table.");
    return finding(Subject::VoltageChoices, std::nullopt, Severity::Note,
                   "The lists also offer " + joined(guessed, ", ") +
                       ", which the voltage table does not have: what the card gives for it is not known.");
}

// The voltages the performance levels ask for, against the (confirmed) voltage table.
std::optional<Finding> checkLevelVoltages(const PerfTable& perf, const StructureVoltageTable& table) {
    std::vector<std::string> kept;
    std::vector<std::int32_t> where;
    for (const PerfLevel& level : perf.levels) {
        if (!level.voltage) continue;
        where.push_back(level.voltageOffset);
        const bool entry =
            std::any_of(table.entries.begin(), table.entries.end(),
                        [&](const StructureVoltage& e) { return e.voltage == *level.voltage; });
        if (!entry)
            return finding(Subject::LevelVoltages, std::nullopt, Severity::Problem,
                           "The performance table's " + levelName(perf, level) + " asks for " +
                               voltsText(*level.voltage) + " at " + hexOffset(level.voltageOffset) +
                               ", which the voltage table at " + hexOffset(table.offset) +
                               " does not have: a driver drops that level.",
                           {table.offset}, {level.voltageOffset});
        kept.push_back(voltsText(*level.voltage));
    }
    if (kept.empty()) return std::nullopt;
    return finding(Subject::LevelVoltages, std::nullopt, Severity::Passed,
                   "The performance levels' voltages (" + joined(kept, ", ") +
                       ") are entries of the voltage table.",
                   {}, where);
}

// --- the clocks: matching ---

// What a 16-bit clock field of the editor's at an offset meets in the performance table.
enum class Spot {
    ClockField, // the start of a level's clock
    Uncovered,  // bytes of a level whose meaning the structure does not give
    Meaningful, // another field of a level: its id, voltage, fan, timings, or the middle of a clock
    Outside,    // no level at all
};

struct ClockPlace {
    const PerfLevel* level;
    const PerfClock* clock;
    bool core;
};

std::optional<ClockPlace> clockAt(const PerfTable& perf, std::int32_t offset) {
    for (const PerfLevel& level : perf.levels) {
        if (level.core.offset == offset && level.core.offset != 0)
            return ClockPlace{&level, &level.core, true};
        for (const PerfClock& memory : level.memory)
            if (memory.offset == offset) return ClockPlace{&level, &memory, false};
    }
    return std::nullopt;
}

// Whether the two bytes from offset touch a field of the level whose meaning the structure gives.
bool touchesMeaningfulField(const PerfLevel& level, std::int32_t offset) {
    auto overlaps = [&](std::int64_t first, std::int64_t last) {
        return first != 0 && offset <= last && offset + 1 >= first;
    };
    bool meaningful = overlaps(level.offset, level.offset) ||
                      overlaps(level.core.offset, level.core.offset + level.core.width - 1) ||
                      overlaps(level.timingBlock, level.timingBlock + kTimingBlockLength - 1) ||
                      overlaps(level.fanOffset, level.fanOffset);
    if (level.voltage) meaningful = meaningful || overlaps(level.voltageOffset, level.voltageOffset);
    for (const PerfClock& memory : level.memory)
        meaningful = meaningful || overlaps(memory.offset, memory.offset + memory.width - 1);
    return meaningful;
}

Spot spotOf(const PerfTable& perf, std::int32_t offset) {
    if (clockAt(perf, offset)) return Spot::ClockField;
    const std::int64_t stride = perf.entryLength + static_cast<std::int64_t>(perf.subCount) * perf.subLength;
    for (const PerfLevel& level : perf.levels) {
        if (offset + 1 < level.offset || offset >= level.offset + stride) continue;
        return touchesMeaningfulField(level, offset) ? Spot::Meaningful : Spot::Uncovered;
    }
    return Spot::Outside;
}

// How one clock field of the editor's meets the performance table: where it is read and where
// the save writes it.
struct ClockMatch {
    struct Read {
        const ShownClock* shown;
        Spot spot;
        std::optional<ClockPlace> place;
    };
    std::vector<Read> reads;
    std::vector<std::int32_t> strayWrites; // outside every level's clock fields
    std::vector<std::int32_t> uncovered;   // in bytes of a level the structure does not explain
    std::int32_t writes = 0;
};

ClockMatch matchClockField(const PerfTable& perf, const ClockTable& table, CardField field) {
    ClockMatch match;
    for (const ShownClock& shown : table.shown) {
        if (shown.field != field) continue;
        const Spot spot = spotOf(perf, shown.offset);
        if (spot == Spot::Uncovered)
            match.uncovered.push_back(shown.offset);
        else
            match.reads.push_back({&shown, spot, clockAt(perf, shown.offset)});
    }
    for (const ClockSlot& slot : table.writes) {
        if (slot.field != field) continue;
        ++match.writes;
        const Spot spot = spotOf(perf, slot.offset);
        if (spot == Spot::Uncovered)
            match.uncovered.push_back(slot.offset);
        else if (spot != Spot::ClockField)
            match.strayWrites.push_back(slot.offset);
    }
    std::sort(match.uncovered.begin(), match.uncovered.end());
    match.uncovered.erase(std::unique(match.uncovered.begin(), match.uncovered.end()), match.uncovered.end());
    return match;
}

std::vector<std::int32_t> clockFields(const PerfTable& perf) {
    std::vector<std::int32_t> offsets;
    for (const PerfLevel& level : perf.levels) {
        offsets.push_back(level.core.offset);
        if (!level.memory.empty()) offsets.push_back(level.memory.front().offset);
    }
    return offsets;
}

// --- the clocks: wording ---

// What is wrong with one read of the field, or nothing.
std::optional<std::string> wrongRead(const PerfTable& perf, const ClockMatch::Read& read, bool hundredths) {
    const ShownClock& shown = *read.shown;
    if (read.spot != Spot::ClockField)
        return "it is read at " + hexOffset(shown.offset) +
               (read.spot == Spot::Outside ? ", where no performance level keeps a clock"
                                           : ", a field of a performance level that is no clock");
    const ClockPlace& place = *read.place;
    if (place.clock->value == shown.stored) return std::nullopt;
    return "it is read at " + hexOffset(shown.offset) + " as " + mhzText(shown.stored, hundredths) +
           ", but " + levelName(perf, *place.level) + (place.core ? " core" : " memory") + " holds " +
           mhzText(place.clock->value, hundredths) +
           (place.clock->value > 0xFFFF ? ", more than the 16 bits the editor reads" : "");
}

Finding wordClockField(CardField field, const std::vector<std::int32_t>& offsets, const PerfTable& perf,
                       const ClockMatch& match, bool hundredths) {
    const std::string caption(fieldInfo(field).caption);
    std::vector<std::string> wrong;
    std::vector<std::string> levels;
    for (const ClockMatch::Read& read : match.reads) {
        if (auto why = wrongRead(perf, read, hundredths)) {
            wrong.push_back(std::move(*why));
            continue;
        }
        levels.push_back(levelName(perf, *read.place->level) + (read.place->core ? " core" : " memory") +
                         " at " + hexOffset(read.shown->offset) + ", " +
                         mhzText(read.shown->stored, hundredths));
    }
    if (!match.strayWrites.empty())
        wrong.push_back("the save writes it at " + offsetsText(match.strayWrites) +
                        ", outside every performance level's clock fields");
    if (!wrong.empty()) {
        const std::vector<std::int32_t> fields = clockFields(perf);
        return fieldFinding(
            field, Severity::Problem,
            "The " + caption + ": " + joined(wrong, "; ") +
                (fields.empty() ? std::string(" (the performance table holds no level)")
                                : " (the levels keep their clocks from " + hexOffset(fields.front()) + ")") +
                ".",
            offsets, fields.empty() ? std::vector<std::int32_t>{perf.offset} : fields);
    }
    if (!match.uncovered.empty())
        return fieldFinding(field, Severity::Note,
                            "the BIOS structure does not say what a version " + hexByte(perf.version) +
                                " performance level holds at " + offsetsText(match.uncovered),
                            offsets, {perf.offset});
    return fieldFinding(field, Severity::Passed,
                        "The " + caption + " is " +
                            (levels.empty() ? std::string("not shown") : joined(levels, "; ")) +
                            "; every field the save writes for it (" + std::to_string(match.writes) +
                            ") is a clock field of a performance level.",
                        offsets);
}

Finding checkClockField(const RomStructure& s, const ClockTable& table, CardField field,
                        const std::vector<std::int32_t>& offsets) {
    if (!s.hasStructure()) return fieldFinding(field, Severity::Note, kNoStructure, offsets);
    if (!s.perf)
        return fieldFinding(field, Severity::Note, "the BIOS structure points to no performance table",
                            offsets);
    const PerfTable& perf = *s.perf;
    if (!perf.known)
        return fieldFinding(field, Severity::Note,
                            "the performance table's version " + hexByte(perf.version) + " is not known",
                            offsets, {perf.offset});
    return wordClockField(field, offsets, perf, matchClockField(perf, table, field), table.hundredths);
}

// --- the timings ---

// The blocks a card's timing bytes B to F must lie in: the 14 timing bytes of each performance
// level, or else the entries of the BIT timing table.
struct TimingBlocks {
    std::vector<std::pair<std::int32_t, std::string>> blocks; // first byte, what it is
    std::int32_t length = kTimingBlockLength;
    std::string kind = "timing block";
};

TimingBlocks timingBlocksOf(const RomStructure& s) {
    TimingBlocks found;
    if (s.perf && s.perf->known)
        for (const PerfLevel& level : s.perf->levels)
            if (level.timingBlock) found.blocks.emplace_back(level.timingBlock, levelName(*s.perf, level));
    if (found.blocks.empty() && s.timing && s.timing->known) {
        for (std::size_t i = 0; i < s.timing->entries.size(); ++i)
            found.blocks.emplace_back(s.timing->entries[i], "timing entry " + std::to_string(i));
        found.length = s.timing->entryLength;
        found.kind = "timing table entry";
    }
    return found;
}

Finding checkTimingSet(const TimingBlocks& t, CardField field, const std::vector<std::int32_t>& offsets) {
    const std::string caption(fieldInfo(field).caption);
    if (t.blocks.empty())
        return fieldFinding(field, Severity::Note,
                            "the BIOS structure gives no timing block for this card's timings", offsets);
    std::vector<std::int32_t> starts;
    for (const auto& block : t.blocks)
        starts.push_back(block.first);
    std::vector<std::string> in;
    for (const std::int32_t at : offsets) {
        const auto block = std::find_if(t.blocks.begin(), t.blocks.end(), [&](const auto& b) {
            return at >= b.first && at < b.first + t.length;
        });
        if (block == t.blocks.end())
            return fieldFinding(field, Severity::Problem,
                                "The " + caption + " byte at " + hexOffset(at) + " lies outside every " +
                                    t.kind + " (" + std::to_string(t.length) + " bytes each from " +
                                    offsetsText(starts) + ").",
                                offsets, starts);
        in.push_back(block->second + " byte " + std::to_string(at - block->first));
    }
    return fieldFinding(field, Severity::Passed,
                        "The " + caption + " bytes lie in the " + t.kind +
                            "s of the performance levels: " + joined(in, ", ") + ".",
                        offsets, starts);
}

// The restricted program whose values hold Timing A, one byte of each value 4 bytes apart.
const RestrictedProgram* programHolding(const InitScripts& scripts,
                                        const std::vector<std::int32_t>& offsets) {
    for (const RestrictedProgram& program : scripts.programs) {
        const std::int32_t byte = offsets.front() - program.valuesOffset;
        if (byte < 0 || byte > 3 || offsets.size() > program.count) continue;
        bool stride4 = true;
        for (std::size_t i = 0; i < offsets.size(); ++i)
            stride4 = stride4 && offsets[i] == program.valuesOffset + 4 * static_cast<std::int32_t>(i) + byte;
        if (stride4) return &program;
    }
    return nullptr;
}

Finding checkTimingA(const RomStructure& s, const std::vector<std::int32_t>& offsets) {
    constexpr CardField field = CardField::TimingA;
    if (!s.scripts)
        return fieldFinding(field, Severity::Note, "the BIOS structure points to no init scripts", offsets);
    if (const RestrictedProgram* program = programHolding(*s.scripts, offsets)) {
        const std::int32_t byte = offsets.front() - program->valuesOffset;
        return fieldFinding(field, Severity::Passed,
                            "Timing A is byte " + std::to_string(byte + 1) + " of the " +
                                std::to_string(offsets.size()) +
                                " values of the init scripts' restricted program for register " +
                                hexOffset(program->reg) + " at " + hexOffset(program->offset) + ".",
                            offsets, {program->offset});
    }
    std::vector<std::int32_t> programs;
    for (const RestrictedProgram& program : s.scripts->programs)
        programs.push_back(program.offset);
    if (scriptWalkEndedEarly(s))
        return fieldFinding(
            field, Severity::Note,
            "Timing A lies in no restricted program the walk of the init scripts reached, and the "
            "walk ended early",
            offsets, programs);
    return fieldFinding(field, Severity::Problem,
                        "Timing A's bytes from " + hexOffset(offsets.front()) +
                            " lie in no restricted program of the init scripts" +
                            (programs.empty() ? std::string(" (they have none)")
                                              : " (programs at " + offsetsText(programs) + ")") +
                            ".",
                        offsets, programs);
}

void checkVoltages(const RomStructure& s, const CardData& d, std::vector<Finding>& out) {
    if (!d.voltages.table) return;
    const VoltageTable& found = *d.voltages.table;
    out.push_back(checkVoltageTable(s, found));
    if (out.back().severity != Severity::Passed) return;
    out.push_back(checkVoltageChoices(found, *s.voltage));
    if (s.perf && s.perf->known)
        if (auto levels = checkLevelVoltages(*s.perf, *s.voltage)) out.push_back(std::move(*levels));
}

void checkClocks(const RomStructure& s, const CardData& d, std::vector<Finding>& out) {
    if (!d.clocks.table) return;
    for (const CardField field : kClockFields) {
        const std::vector<std::int32_t> offsets = clockOffsets(*d.clocks.table, field);
        if (!offsets.empty()) out.push_back(checkClockField(s, *d.clocks.table, field, offsets));
    }
}

void checkTimings(const RomStructure& s, const CardData& d, std::vector<Finding>& out) {
    if (!d.timings.timings) return;
    const TimingBlocks blocks = timingBlocksOf(s);
    for (const CardField field : kTimingFields) {
        const std::vector<std::int32_t> offsets = timingOffsets(*d.timings.timings, field);
        if (offsets.empty()) continue;
        if (!s.hasStructure())
            out.push_back(fieldFinding(field, Severity::Note, kNoStructure, offsets));
        else if (field == CardField::TimingA)
            out.push_back(checkTimingA(s, offsets));
        else
            out.push_back(checkTimingSet(blocks, field, offsets));
    }
}

} // namespace

std::string agreementName(Severity severity) {
    constexpr std::array<const char*, 3> kWords{"confirmed", "not checked", "contradicted"};
    return kWords.at(static_cast<std::size_t>(severity));
}

std::string tableName(const Finding& finding) {
    if (finding.subject != Subject::Field || !finding.field) return "voltage table";
    return fieldInfo(*finding.field).group == FieldGroup::Timing ? "timing bytes" : "clock table";
}

bool StructureCheck::contradicted() const {
    return anyOf(findings, Severity::Problem);
}

std::string StructureCheck::line() const {
    const auto first = std::find_if(findings.begin(), findings.end(),
                                    [](const Finding& f) { return f.severity == Severity::Problem; });
    if (first != findings.end()) {
        const std::string table = tableName(*first);
        return "Warning: the " + table + " found " + (table == "timing bytes" ? "do" : "does") +
               " not match the BIOS structure";
    }
    if (!hasStructure) return "Not checked: no BMP or BIT structure";
    if (anyOf(findings, Severity::Passed)) return "Tables confirmed by the BIOS structure";
    return "Not checked: the BIOS structure does not cover the tables found";
}

std::string StructureCheck::details() const {
    if (findings.empty())
        return hasStructure ? "The editor found no table to check."
                            : "The image has no BMP or BIT structure.";
    std::string text;
    for (const Finding& f : findings) {
        std::string sentence = f.text;
        if (!sentence.empty() && sentence.back() != '.') sentence += ".";
        if (f.severity == Severity::Note) sentence.insert(0, subjectName(f) + ": not checked: ");
        if (!text.empty()) text += "\n";
        text += sentence;
    }
    return text;
}

std::string StructureCheck::contradictions() const {
    std::string text;
    for (const Finding& f : findings)
        if (f.severity == Severity::Problem) text += (text.empty() ? "" : "\n") + f.text;
    return text;
}

StructureCheck checkStructure(const RomStructure& structure, const CardData& data) {
    StructureCheck check;
    check.hasStructure = structure.hasStructure();
    checkVoltages(structure, data, check.findings);
    checkClocks(structure, data, check.findings);
    checkTimings(structure, data, check.findings);
    return check;
}

} // namespace zfx
