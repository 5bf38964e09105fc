// SPDX-License-Identifier: MIT
#include "structure/performance_levels.h"

#include "text/number_text.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace zfx {

namespace {

constexpr std::uint32_t kMaxFan = 100;

struct FieldName {
    LevelField field;
    std::string_view name;    // in "80h:memory"
    std::string_view caption; // in "level 80h memory clock"
};
constexpr std::array<FieldName, 5> kFieldNames{{
    {LevelField::Core, "core", "core clock"},
    {LevelField::Memory, "memory", "memory clock"},
    {LevelField::MemoryCopy, "memory", "memory copy"},
    {LevelField::Voltage, "voltage", "voltage"},
    {LevelField::Fan, "fan", "fan"},
}};

const FieldName& nameOf(LevelField field) {
    return kFieldNames[static_cast<std::size_t>(field)];
}

bool isClock(LevelField field) {
    return field == LevelField::Core || field == LevelField::Memory || field == LevelField::MemoryCopy;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// Digits with at most `decimals` digits after a point, in hundredths; absent for any other text
// and for values past 64 bits of hundredths.
std::optional<std::uint64_t> hundredthsOf(std::string_view text, int decimals) {
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? "" : text.substr(point + 1);
    const bool digitsOnly = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    }(whole) && std::all_of(fraction.begin(), fraction.end(), [](unsigned char c) {
                                return std::isdigit(c) != 0;
                            });
    if (whole.empty() || whole.size() > 12 || !digitsOnly) return std::nullopt;
    if (point != std::string_view::npos && (fraction.empty() || static_cast<int>(fraction.size()) > decimals))
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : whole)
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    value *= 100;
    if (!fraction.empty()) value += static_cast<std::uint64_t>(fraction[0] - '0') * 10;
    if (fraction.size() > 1) value += static_cast<std::uint64_t>(fraction[1] - '0');
    return value;
}

// The largest value a level's clock takes: what its field's width holds.
std::uint32_t maxClock(const EditableLevel& level) {
    return level.core.width == 4 ? 0xFFFFFFFFu : 0xFFFFu;
}

std::string joinedVoltages(const std::vector<std::uint8_t>& voltages) {
    std::string text;
    for (std::size_t i = 0; i < voltages.size(); ++i)
        text += (i == 0 ? "" : i + 1 == voltages.size() ? " and " : ", ") + voltsText(voltages[i]);
    return text;
}

void putClock(std::vector<LevelByte>& writes, const PerfClock& clock, std::uint32_t value) {
    for (std::int32_t i = 0; i < clock.width; ++i)
        writes.push_back({clock.offset + i, static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF)});
}

// A later write of the same byte wins, as it would in the image.
void addWrites(std::vector<LevelByte>& to, const std::vector<LevelByte>& writes) {
    for (const LevelByte& w : writes) {
        const auto same = std::find_if(to.begin(), to.end(),
                                       [&](const LevelByte& known) { return known.offset == w.offset; });
        if (same == to.end())
            to.push_back(w);
        else
            *same = w;
    }
}

std::vector<int> shownCopiesOf(const std::vector<PerfClock>& memory) {
    // The value most copies hold; on a tie the lowest copy's, as the first reached.
    std::uint32_t shown = 0;
    std::ptrdiff_t most = 0;
    for (const PerfClock& copy : memory) {
        const auto count = std::count_if(memory.begin(), memory.end(),
                                         [&](const PerfClock& other) { return other.value == copy.value; });
        if (count > most) {
            most = count;
            shown = copy.value;
        }
    }
    std::vector<int> copies;
    for (std::size_t k = 0; k < memory.size(); ++k)
        if (memory[k].value == shown) copies.push_back(static_cast<int>(k));
    return copies;
}

bool decodedSoundly(const RomStructure& s) {
    if (!s.perf || !s.perf->known || s.perf->levels.empty()) return false;
    const bool cutShort = std::any_of(s.problems.begin(), s.problems.end(),
                                      [](const DecodeProblem& p) { return p.area == DecodeArea::PerfTable; });
    return !cutShort && std::all_of(s.perf->levels.begin(), s.perf->levels.end(),
                                    [](const PerfLevel& level) { return !level.memory.empty(); });
}

} // namespace

const EditableLevel* EditableLevels::find(std::uint8_t id) const {
    const auto it =
        std::find_if(levels.begin(), levels.end(), [&](const EditableLevel& l) { return l.id == id; });
    return it == levels.end() ? nullptr : &*it;
}

std::optional<EditableLevels> editableLevels(const RomStructure& s) {
    if (!decodedSoundly(s)) return std::nullopt;
    const PerfTable& perf = *s.perf;
    EditableLevels result;
    result.hundredths = clocksInHundredths(perf);
    for (const PerfLevel& level : perf.levels) {
        // Two levels of one id would make a value ambiguous: the first is the one a user names.
        if (result.find(level.id)) continue;
        EditableLevel e;
        e.id = level.id;
        e.core = level.core;
        e.memory = level.memory;
        e.shownCopies = shownCopiesOf(level.memory);
        e.voltage = level.voltage;
        e.voltageOffset = level.voltageOffset;
        e.fan = level.fan;
        e.fanOffset = level.fanOffset;
        result.levels.push_back(std::move(e));
    }
    if (s.voltage && s.voltage->known) {
        for (const StructureVoltage& entry : s.voltage->entries)
            result.tableVoltages.push_back(entry.voltage);
        std::sort(result.tableVoltages.begin(), result.tableVoltages.end());
        result.tableVoltages.erase(std::unique(result.tableVoltages.begin(), result.tableVoltages.end()),
                                   result.tableVoltages.end());
    }
    return result;
}

namespace {

bool confirmedField(const StructureCheck& check, CardField field) {
    return std::any_of(check.findings.begin(), check.findings.end(), [&](const Finding& f) {
        return f.subject == Subject::Field && f.field == field && f.severity == Severity::Passed;
    });
}

// A box that writes its field into other levels as well is not one value with a level's.
bool writesOtherLevels(const LevelPlaces& places, CardField field, std::uint8_t id) {
    return std::any_of(places.clocks.begin(), places.clocks.end(),
                       [&](const LevelCopies& c) { return c.field == field && c.levelId != id; });
}

void addLink(std::vector<LevelLink>& links, LevelCell cell, CardField field) {
    const bool known =
        std::any_of(links.begin(), links.end(), [&](const LevelLink& l) { return l.cell == cell; });
    if (!known) links.push_back({cell, field});
}

void addClockLinks(const EditableLevel& level, const ClockTable& table, const StructureCheck& check,
                   const LevelPlaces& places, std::vector<LevelLink>& links) {
    for (const ShownClock& shown : table.shown) {
        if (!confirmedField(check, shown.field) || writesOtherLevels(places, shown.field, level.id)) continue;
        if (shown.offset == level.core.offset) addLink(links, {level.id, LevelField::Core}, shown.field);
        for (const int k : level.shownCopies)
            if (shown.offset == level.memory[static_cast<std::size_t>(k)].offset)
                addLink(links, {level.id, LevelField::Memory}, shown.field);
    }
}

} // namespace

std::vector<LevelLink> levelLinks(const EditableLevels& levels, const CardData& data,
                                  const StructureCheck& check, const LevelPlaces& places) {
    std::vector<LevelLink> links;
    for (const EditableLevel& level : levels.levels) {
        if (data.clocks.table) addClockLinks(level, *data.clocks.table, check, places, links);
        for (std::size_t m = 0; m < places.modeLevels.size(); ++m)
            for (const LevelVoltage& voltage : places.modeLevels[m])
                if (voltage.levelId == level.id && level.voltage)
                    addLink(links, {level.id, LevelField::Voltage}, kVoltageModes[m]);
    }
    return links;
}

LevelCellRead readLevelCell(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return {std::nullopt,
                "\"" + std::string(text) + "\" names no level value; write ID:FIELD, such as 80h:core."};
    std::string_view id = text.substr(0, colon);
    std::string_view field = text.substr(colon + 1);
    std::optional<std::int32_t> number;
    if (id.size() > 1 && (id.back() == 'h' || id.back() == 'H')) {
        number = offsetFromText("0x" + std::string(id.substr(0, id.size() - 1)));
    } else if (id.size() > 2 && id[0] == '0' && (id[1] == 'x' || id[1] == 'X')) {
        number = offsetFromText(id);
    }
    if (!number || *number < 0 || *number > 0xFF)
        return {std::nullopt, "\"" + std::string(id) +
                                  "\" is no level id; write it as info shows it, such as 80h or 0x80."};
    LevelCell cell{static_cast<std::uint8_t>(*number), LevelField::Core, 0};
    const std::size_t dot = field.find('.');
    if (field.substr(0, dot) == "memory" && dot != std::string_view::npos) {
        const std::string_view copy = field.substr(dot + 1);
        const bool digits =
            !copy.empty() && copy.size() <= 2 &&
            std::all_of(copy.begin(), copy.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
        if (!digits)
            return {std::nullopt,
                    "\"" + std::string(field) + "\" is no memory copy; write memory.K, K from 0."};
        cell.field = LevelField::MemoryCopy;
        cell.copy = std::stoi(std::string(copy));
        return {cell, {}};
    }
    for (const FieldName& name : kFieldNames)
        if (name.field != LevelField::MemoryCopy && field == name.name) {
            cell.field = name.field;
            return {cell, {}};
        }
    return {std::nullopt,
            "\"" + std::string(field) +
                "\" is no field of a level; the fields are core, memory, memory.K, voltage and fan."};
}

std::string levelCellName(const LevelCell& cell) {
    std::string name = hexByte(cell.level) + ":" + std::string(nameOf(cell.field).name);
    if (cell.field == LevelField::MemoryCopy) name += "." + std::to_string(cell.copy);
    return name;
}

std::string levelCellCaption(const LevelCell& cell) {
    std::string caption = "level " + hexByte(cell.level) + " " + std::string(nameOf(cell.field).caption);
    if (cell.field == LevelField::MemoryCopy) caption += " " + std::to_string(cell.copy);
    return caption;
}

std::optional<std::string> lackingCell(const EditableLevels& levels, const LevelCell& cell) {
    const EditableLevel* level = levels.find(cell.level);
    if (!level) {
        std::string ids;
        for (const EditableLevel& l : levels.levels)
            ids += (ids.empty() ? "" : ", ") + hexByte(l.id);
        return "the image has no level " + hexByte(cell.level) + " (its levels are " + ids + ").";
    }
    if (cell.field == LevelField::MemoryCopy &&
        (cell.copy < 0 || static_cast<std::size_t>(cell.copy) >= level->memory.size()))
        return "level " + hexByte(cell.level) + " keeps " + std::to_string(level->memory.size()) +
               (level->memory.size() == 1
                    ? " memory copy, memory.0."
                    : " memory copies, memory.0 to memory." + std::to_string(level->memory.size() - 1) + ".");
    if (cell.field == LevelField::Voltage && !level->voltage)
        return "level " + hexByte(cell.level) + " carries no voltage of its own in this table.";
    if (cell.field == LevelField::Fan && !level->fan)
        return "level " + hexByte(cell.level) + " has no fan byte in this table.";
    return std::nullopt;
}

std::vector<LevelCell> cellsOf(const EditableLevel& level) {
    std::vector<LevelCell> cells{{level.id, LevelField::Core}, {level.id, LevelField::Memory}};
    for (std::size_t k = 0; k < level.memory.size(); ++k)
        cells.push_back({level.id, LevelField::MemoryCopy, static_cast<int>(k)});
    if (level.voltage) cells.push_back({level.id, LevelField::Voltage});
    if (level.fan) cells.push_back({level.id, LevelField::Fan});
    return cells;
}

std::optional<std::uint32_t> fileValue(const EditableLevels& levels, const LevelCell& cell) {
    if (lackingCell(levels, cell)) return std::nullopt;
    const EditableLevel& level = *levels.find(cell.level);
    switch (cell.field) {
    case LevelField::Core:
        return level.core.value;
    case LevelField::Memory:
        return level.shownMemory();
    case LevelField::MemoryCopy:
        return level.memory[static_cast<std::size_t>(cell.copy)].value;
    case LevelField::Voltage:
        return *level.voltage;
    case LevelField::Fan:
        return *level.fan;
    }
    return std::nullopt;
}

std::string valueText(const EditableLevels& levels, const LevelCell& cell, std::uint32_t stored) {
    if (isClock(cell.field)) return levels.hundredths ? hundredthsText(stored) : std::to_string(stored);
    if (cell.field == LevelField::Voltage) return fixedHundredthsText(stored);
    return std::to_string(stored);
}

std::string levelUnit(const LevelCell& cell) {
    if (isClock(cell.field)) return "MHz";
    return cell.field == LevelField::Voltage ? "V" : "%";
}

std::string levelRange(const EditableLevels& levels, const LevelCell& cell) {
    if (cell.field == LevelField::Voltage)
        return levels.tableVoltages.empty() ? "none: the image has no voltage table to choose from"
                                            : joinedVoltages(levels.tableVoltages);
    if (cell.field == LevelField::Fan) return "0 to 100 %";
    const EditableLevel* level = levels.find(cell.level);
    const std::uint32_t top = level ? maxClock(*level) : 0xFFFF;
    return "0 to " + valueText(levels, cell, top) + " MHz";
}

std::optional<std::uint32_t> voltageOf(std::string_view text) {
    std::string_view value = trimmed(text);
    if (!value.empty() && (value.back() == 'V' || value.back() == 'v'))
        value = trimmed(value.substr(0, value.size() - 1));
    const auto volts = hundredthsOf(value, 2);
    if (!volts || *volts > 0xFF) return std::nullopt;
    return static_cast<std::uint32_t>(*volts);
}

namespace {

// A voltage: only one the voltage table has, or the one the level asks for already.
LevelValueRead readVoltage(const EditableLevels& levels, const LevelCell& cell, std::string_view text) {
    const std::string caption = levelCellCaption(cell);
    std::string_view value = trimmed(text);
    if (!value.empty() && (value.back() == 'V' || value.back() == 'v'))
        value = trimmed(value.substr(0, value.size() - 1));
    const auto volts = hundredthsOf(value, 2);
    if (!volts)
        return {std::nullopt,
                caption + " holds \"" + std::string(text) + "\", which is no voltage such as 1.44 or 1.44V.",
                true};
    // The voltage the level asks for already is kept, whatever the table holds.
    if (*volts == fileValue(levels, cell)) return {static_cast<std::uint32_t>(*volts), {}};
    const bool inTable =
        *volts <= 0xFF && std::find(levels.tableVoltages.begin(), levels.tableVoltages.end(),
                                    static_cast<std::uint8_t>(*volts)) != levels.tableVoltages.end();
    if (inTable) return {static_cast<std::uint32_t>(*volts), {}};
    const std::string shown =
        *volts <= 0xFF ? voltsText(static_cast<std::uint32_t>(*volts)) : std::string(value) + " V";
    if (levels.tableVoltages.empty())
        return {std::nullopt, caption + " " + shown +
                                  " cannot be checked: the image has no voltage table, and a driver drops a "
                                  "level whose voltage has no entry."};
    return {std::nullopt, caption + " " + shown + " is not in the voltage table, which has " +
                              joinedVoltages(levels.tableVoltages) +
                              ": a driver drops a level whose voltage has no entry."};
}

LevelValueRead readFan(const LevelCell& cell, std::string_view text) {
    const std::string caption = levelCellCaption(cell);
    std::string_view value = trimmed(text);
    if (!value.empty() && value.back() == '%') value = trimmed(value.substr(0, value.size() - 1));
    const auto fan = hundredthsOf(value, 0);
    if (!fan)
        return {std::nullopt, caption + " holds \"" + std::string(text) + "\", which is no whole percentage.",
                true};
    if (*fan / 100 > kMaxFan)
        return {std::nullopt, caption + " is " + std::string(value) + "; it must be 0 to 100 %."};
    return {static_cast<std::uint32_t>(*fan / 100), {}};
}

LevelValueRead readClock(const EditableLevels& levels, const LevelCell& cell, std::string_view text) {
    const std::string caption = levelCellCaption(cell);
    const std::string_view value = trimmed(text);
    const auto clock = hundredthsOf(value, levels.hundredths ? 2 : 0);
    if (!clock)
        return {std::nullopt,
                caption + " holds \"" + std::string(text) + "\", which is no " +
                    (levels.hundredths ? "number of MHz with at most two decimals." : "whole number of MHz."),
                true};
    const EditableLevel* level = levels.find(cell.level);
    const std::uint64_t stored = levels.hundredths ? *clock : *clock / 100;
    if (!level || stored > maxClock(*level))
        return {std::nullopt,
                caption + " is " + std::string(value) + "; it must be " + levelRange(levels, cell) + "."};
    return {static_cast<std::uint32_t>(stored), {}};
}

} // namespace

LevelValueRead readLevelValue(const EditableLevels& levels, const LevelCell& cell, std::string_view text) {
    if (cell.field == LevelField::Voltage) return readVoltage(levels, cell, text);
    if (cell.field == LevelField::Fan) return readFan(cell, text);
    return readClock(levels, cell, text);
}

std::vector<LevelPlace> cellPlaces(const EditableLevels& levels, const LevelCell& cell) {
    const EditableLevel* level = levels.find(cell.level);
    if (!level || lackingCell(levels, cell)) return {};
    switch (cell.field) {
    case LevelField::Core:
        return {{level->core.offset, level->core.width}};
    case LevelField::Memory: {
        std::vector<LevelPlace> places;
        for (const int k : level->shownCopies) {
            const PerfClock& copy = level->memory[static_cast<std::size_t>(k)];
            places.push_back({copy.offset, copy.width});
        }
        return places;
    }
    case LevelField::MemoryCopy: {
        const PerfClock& copy = level->memory[static_cast<std::size_t>(cell.copy)];
        return {{copy.offset, copy.width}};
    }
    case LevelField::Voltage:
        return {{level->voltageOffset, 1}};
    case LevelField::Fan:
        return {{level->fanOffset, 1}};
    }
    return {};
}

LevelWrite writeLevels(const EditableLevels& levels, const std::map<LevelCell, std::string>& texts) {
    LevelWrite result;
    for (const auto& [cell, text] : texts) {
        if (const auto lacking = lackingCell(levels, cell)) {
            result.writes.clear();
            result.failure = ValueFailure{CardField::Core3D,
                                          ValueFailure::Kind::LevelValue,
                                          text,
                                          0,
                                          levelCellCaption(cell) + ": " + *lacking,
                                          cell};
            return result;
        }
        const LevelValueRead read = readLevelValue(levels, cell, text);
        if (!read.stored) {
            result.writes.clear();
            result.failure =
                ValueFailure{CardField::Core3D, ValueFailure::Kind::LevelValue, text, 0, read.refusal, cell};
            return result;
        }
        std::vector<LevelByte> writes;
        for (const LevelPlace& place : cellPlaces(levels, cell))
            putClock(writes, PerfClock{place.offset, place.width, 0}, *read.stored);
        addWrites(result.writes, writes);
    }
    return result;
}

} // namespace zfx
