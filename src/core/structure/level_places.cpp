// SPDX-License-Identifier: MIT
#include "structure/level_places.h"

#include "text/number_text.h"

#include <algorithm>

namespace zfx {

namespace {

// The core clock whose level carries each mode's voltage, by kVoltageModes.
constexpr std::array<CardField, 3> kModeCores{CardField::Core2D, CardField::CoreThrottle, CardField::Core3D};

bool confirmed(const StructureCheck& check, Subject subject, std::optional<CardField> field = std::nullopt) {
    return std::any_of(check.findings.begin(), check.findings.end(), [&](const Finding& f) {
        return f.subject == subject && f.field == field && f.severity == Severity::Passed;
    });
}

const ShownClock* shownOf(const ClockTable& table, CardField field) {
    const auto it = std::find_if(table.shown.begin(), table.shown.end(),
                                 [&](const ShownClock& shown) { return shown.field == field; });
    return it == table.shown.end() ? nullptr : &*it;
}

// The level whose memory copies hold a slot, or none.
const PerfLevel* levelWithCopyAt(const PerfTable& perf, std::int32_t offset) {
    for (const PerfLevel& level : perf.levels)
        for (const PerfClock& copy : level.memory)
            if (copy.offset == offset) return &level;
    return nullptr;
}

// Every confirmed clock field's slots that lie on a level with several memory copies.
void addClockCopies(const PerfTable& perf, const ClockTable& table, const StructureCheck& check,
                    LevelPlaces& places) {
    for (const CardField field : kClockFields) {
        const ShownClock* shown = shownOf(table, field);
        if (!shown || !confirmed(check, Subject::Field, field)) continue;
        for (const ClockSlot& slot : table.writes) {
            if (slot.field != field) continue;
            const PerfLevel* level = levelWithCopyAt(perf, slot.offset);
            if (!level || level->memory.size() < 2) continue;
            const auto known =
                std::find_if(places.clocks.begin(), places.clocks.end(), [&](const LevelCopies& c) {
                    return c.field == field && c.levelId == level->id;
                });
            if (known != places.clocks.end()) {
                known->patternSlots.push_back(slot.offset);
                continue;
            }
            LevelCopies copies{field, level->id, {slot.offset}, {}, {}};
            for (const PerfClock& copy : level->memory) {
                if (copy.value == shown->stored)
                    copies.written.push_back(copy.offset);
                else
                    copies.left.push_back(copy);
            }
            places.clocks.push_back(std::move(copies));
        }
    }
}

void addModeLevels(const PerfTable& perf, const ClockTable& table, const StructureCheck& check,
                   LevelPlaces& places) {
    for (std::size_t m = 0; m < kModeCores.size(); ++m) {
        const ShownClock* core = shownOf(table, kModeCores[m]);
        if (!core || !confirmed(check, Subject::Field, kModeCores[m])) continue;
        for (const PerfLevel& level : perf.levels)
            if (level.core.offset == core->offset && level.voltage)
                places.modeLevels[m].push_back({level.id, level.voltageOffset, *level.voltage});
    }
}

bool isTableEntry(const VoltageTable& table, const VoltageEntry& entry) {
    return std::any_of(table.stored.begin(), table.stored.end(), [&](const StoredVoltage& s) {
        return s.entry.voltage == entry.voltage && s.entry.code == entry.code;
    });
}

} // namespace

LevelPlaces levelPlaces(const RomStructure& structure, const CardData& data, const StructureCheck& check) {
    LevelPlaces places;
    if (!structure.perf || !structure.perf->known || !data.clocks.table) return places;
    const PerfTable& perf = *structure.perf;
    addClockCopies(perf, *data.clocks.table, check, places);
    const bool levelsCarryVoltage = std::any_of(perf.levels.begin(), perf.levels.end(),
                                                [](const PerfLevel& l) { return l.voltage.has_value(); });
    places.levelVoltages =
        levelsCarryVoltage && data.voltages.table && confirmed(check, Subject::VoltageTable);
    if (places.levelVoltages) addModeLevels(perf, *data.clocks.table, check, places);
    return places;
}

std::vector<ByteWrite> writesToEveryCopy(const std::vector<ByteWrite>& writes, const LevelPlaces& places) {
    std::vector<ByteWrite> moved;
    auto add = [&](const ByteWrite& w) {
        const auto same = std::find_if(moved.begin(), moved.end(),
                                       [&](const ByteWrite& m) { return m.offset == w.offset; });
        if (same == moved.end())
            moved.push_back(w);
        else
            *same = w; // a later write of the same byte wins, as it would in the image
    };
    for (const ByteWrite& w : writes) {
        const LevelCopies* level = nullptr;
        std::int32_t byte = 0;
        for (const LevelCopies& copies : places.clocks)
            for (const std::int32_t slot : copies.patternSlots)
                if (copies.field == w.field && (w.offset == slot || w.offset == slot + 1)) {
                    level = &copies;
                    byte = w.offset - slot;
                }
        if (!level) {
            add(w);
            continue;
        }
        for (const std::int32_t copy : level->written)
            add({copy + byte, w.value, w.field});
    }
    return moved;
}

std::vector<ByteWrite> voltageWrites(const VoltageTable& table, const std::vector<VoltageEntry>& offered,
                                     const std::array<int, 3>& selected, const LevelPlaces& places) {
    std::vector<ByteWrite> writes;
    for (std::size_t m = 0; m < kVoltageModes.size(); ++m) {
        std::array<int, 3> only{-1, -1, -1};
        only[m] = selected[m];
        const std::vector<ByteWrite> tableWrites = writeVoltages(table, offered, only).writes;
        if (tableWrites.empty()) continue; // no choice for this mode
        const std::vector<LevelVoltage>& levels = places.modeLevels[m];
        const VoltageEntry& chosen = offered[static_cast<std::size_t>(selected[m])];
        if (levels.empty() || !isTableEntry(table, chosen))
            writes.insert(writes.end(), tableWrites.begin(), tableWrites.end());
        for (const LevelVoltage& level : levels)
            writes.push_back(
                {level.offset, static_cast<std::uint8_t>(chosen.voltage & 0xFF), kVoltageModes[m]});
    }
    return writes;
}

std::optional<int> levelSelection(const VoltageTable& table, const LevelPlaces& places, std::size_t mode) {
    if (mode >= places.modeLevels.size() || places.modeLevels[mode].empty()) return std::nullopt;
    const std::uint8_t voltage = places.modeLevels[mode].front().voltage;
    const std::size_t stored = std::min(table.stored.size(), table.offered.size());
    for (std::size_t p = 0; p < stored; ++p)
        if (table.offered[p].voltage == voltage) return static_cast<int>(p);
    return std::nullopt;
}

LevelSummary summarizeLevel(const PerfTable& perf, const PerfLevel& level) {
    const bool hundredths = clocksInHundredths(perf);
    LevelSummary summary;
    summary.id = hexByte(level.id);
    summary.core = mhzText(level.core.value, hundredths);
    if (!level.memory.empty()) {
        std::vector<std::uint32_t> distinct;
        for (const PerfClock& copy : level.memory)
            if (std::find(distinct.begin(), distinct.end(), copy.value) == distinct.end())
                distinct.push_back(copy.value);
        for (const std::uint32_t value : distinct)
            summary.memory += (summary.memory.empty() ? "" : "/") +
                              (hundredths ? hundredthsText(value) : std::to_string(value));
        summary.memory += " MHz";
        summary.copyCount = static_cast<int>(level.memory.size());
        if (level.memory.size() > 1)
            summary.copies =
                std::to_string(level.memory.size()) + " copies" + (distinct.size() > 1 ? " differ" : "");
    }
    if (level.voltage) summary.voltage = voltsText(*level.voltage);
    return summary;
}

std::string levelText(const LevelSummary& level) {
    std::string text = level.id + ": core " + level.core;
    if (!level.memory.empty()) text += ", memory " + level.memory;
    if (!level.copies.empty()) text += " (" + level.copies + ")";
    if (!level.voltage.empty()) text += ", " + level.voltage;
    return text;
}

} // namespace zfx
