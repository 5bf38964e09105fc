// SPDX-License-Identifier: MIT
#include "structure/structure_check.h"

#include "tables/card_layout.h"
#include "text/number_text.h"
#include "editor/window_controls.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace zfx {

namespace {

constexpr const char* kNoStructure = "the image has no BMP or BIT structure";
constexpr const char* kVoltageTable = "voltage table";
constexpr const char* kClockTable = "clock table";
constexpr const char* kTimingBytes = "timing bytes";
constexpr std::int32_t kTimingBlockLength = 14;

std::string hex2(std::uint32_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02Xh", value & 0xFFu);
    return text;
}

std::string volts(std::uint8_t tenMillivolts) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%02u V", tenMillivolts / 100u, tenMillivolts % 100u);
    return text;
}

// A clock as stored, in MHz: hundredths on GeForce FX, whole MHz on GeForce 6.
std::string mhz(std::uint32_t value, bool hundredths) {
    char text[32];
    if (!hundredths)
        std::snprintf(text, sizeof text, "%u MHz", value);
    else if (value % 100 == 0)
        std::snprintf(text, sizeof text, "%u MHz", value / 100);
    else
        std::snprintf(text, sizeof text, "%u.%02u MHz", value / 100, value % 100);
    return text;
}

std::string levelName(const PerfTable& perf, const PerfLevel& level) {
    const auto index = &level - perf.levels.data();
    return "level " + std::to_string(index) + " (id " + hex2(level.id) + ")";
}

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

std::vector<std::int32_t> clockFields(const PerfTable& perf) {
    std::vector<std::int32_t> offsets;
    for (const PerfLevel& level : perf.levels) {
        offsets.push_back(level.core.offset);
        if (!level.memory.empty()) offsets.push_back(level.memory.front().offset);
    }
    return offsets;
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}

bool walkEndedEarly(const RomStructure& s) {
    return std::any_of(s.problems.begin(), s.problems.end(), [](const std::string& problem) {
        return problem.find("script") != std::string::npos;
    });
}

class Checker {
  public:
    Checker(const RomStructure& s, const CardData& d, StructureCheck& c) : m_s(s), m_d(d), m_c(c) {}

    void add(std::string subject, const char* table, Agreement agreement, std::string text,
             std::vector<std::int32_t> found = {}, std::vector<std::int32_t> structure = {}) {
        m_c.verdicts.push_back(
            {std::move(subject), table, agreement, std::move(text), std::move(found), std::move(structure)});
    }

    void voltageTable() {
        if (!m_d.voltages.table) return;
        const VoltageTable& found = *m_d.voltages.table;
        const std::vector<std::int32_t> where{found.offset};
        if (!m_s.hasStructure())
            return add("voltage table", kVoltageTable, Agreement::NotChecked, kNoStructure, where);
        if (!m_s.voltage)
            return add("voltage table", kVoltageTable, Agreement::NotChecked,
                       "the BIOS structure points to no voltage table", where);
        const StructureVoltageTable& table = *m_s.voltage;
        if (table.offset != found.offset)
            return add("voltage table", kVoltageTable, Agreement::Contradicted,
                       "The voltage table was found at " + hexOffset(found.offset) +
                           ", but the BIOS structure points to one at " + hexOffset(table.offset) + ".",
                       where, {table.offset});
        if (!table.known)
            return add("voltage table", kVoltageTable, Agreement::NotChecked,
                       "the voltage table's version " + hex2(table.version) + " is not known", where,
                       {table.offset});
        for (const StoredVoltage& pair : found.stored) {
            const auto entry =
                std::find_if(table.entries.begin(), table.entries.end(),
                             [&](const StructureVoltage& e) { return e.offset == pair.voltageOffset; });
            if (entry == table.entries.end() || entry->voltage != pair.entry.voltage ||
                entry->vid != pair.entry.code)
                return add("voltage table", kVoltageTable, Agreement::Contradicted,
                           "The editor reads a voltage entry at " + hexOffset(pair.voltageOffset) +
                               " that the voltage table at " + hexOffset(table.offset) + " (entries of " +
                               std::to_string(table.entryLength) + " bytes from " +
                               hexOffset(table.offset + table.headerLength) + ") does not have.",
                           {pair.voltageOffset}, {table.offset + table.headerLength});
        }
        add("voltage table", kVoltageTable, Agreement::Confirmed,
            "The voltage table at " + hexOffset(found.offset) +
                " is where the BIOS structure points (version " + hex2(table.version) + ", " +
                std::to_string(table.entries.size()) + " entries), with the entries the editor reads.",
            where, {table.offset});
        m_voltagesConfirmed = true;
        voltageChoices(found, table);
    }

    void voltageChoices(const VoltageTable& found, const StructureVoltageTable& table) {
        std::vector<std::string> guessed;
        for (const VoltageEntry& offered : found.offered) {
            const bool inTable =
                std::any_of(table.entries.begin(), table.entries.end(), [&](const StructureVoltage& e) {
                    return e.voltage == offered.voltage && e.vid == offered.code;
                });
            if (!inTable)
                guessed.push_back(volts(static_cast<std::uint8_t>(offered.voltage)) + " (code " +
                                  std::to_string(offered.code) + ")");
        }
        if (guessed.empty())
            add("voltage choices", kVoltageTable, Agreement::Confirmed,
                "Every voltage the lists offer is an entry of the voltage table.");
        else
            add("voltage choices", kVoltageTable, Agreement::NotChecked,
                "The lists also offer " + joined(guessed, ", ") +
                    ", which the voltage table does not have: what the card gives for it is not known.");
    }

    void levelVoltages() {
        if (!m_voltagesConfirmed || !m_s.perf || !m_s.perf->known) return;
        const PerfTable& perf = *m_s.perf;
        std::vector<std::string> kept;
        std::vector<std::int32_t> where;
        for (const PerfLevel& level : perf.levels) {
            if (!level.voltage) continue;
            where.push_back(level.voltageOffset);
            const bool entry =
                std::any_of(m_s.voltage->entries.begin(), m_s.voltage->entries.end(),
                            [&](const StructureVoltage& e) { return e.voltage == *level.voltage; });
            if (!entry)
                return add("level voltages", kVoltageTable, Agreement::Contradicted,
                           "The performance table's " + levelName(perf, level) + " asks for " +
                               volts(*level.voltage) + " at " + hexOffset(level.voltageOffset) +
                               ", which the voltage table at " + hexOffset(m_s.voltage->offset) +
                               " does not have: a driver drops that level.",
                           {m_s.voltage->offset}, {level.voltageOffset});
            kept.push_back(volts(*level.voltage));
        }
        if (!kept.empty())
            add("level voltages", kVoltageTable, Agreement::Confirmed,
                "The performance levels' voltages (" + joined(kept, ", ") +
                    ") are entries of the voltage table.",
                {}, where);
    }

    void clocks() {
        if (!m_d.clocks.table) return;
        const ClockTable& table = *m_d.clocks.table;
        for (const Control box : kClockBoxes) {
            const CardField field = *controlInfo(box).field;
            const std::string caption(controlInfo(box).caption);
            const std::vector<std::int32_t> offsets = clockOffsets(table, field);
            if (offsets.empty()) continue;
            if (!m_s.hasStructure()) {
                add(caption, kClockTable, Agreement::NotChecked, kNoStructure, offsets);
                continue;
            }
            if (!m_s.perf) {
                add(caption, kClockTable, Agreement::NotChecked,
                    "the BIOS structure points to no performance table", offsets);
                continue;
            }
            const PerfTable& perf = *m_s.perf;
            if (!perf.known) {
                add(caption, kClockTable, Agreement::NotChecked,
                    "the performance table's version " + hex2(perf.version) + " is not known", offsets,
                    {perf.offset});
                continue;
            }
            clockField(caption, table, field, offsets, perf);
        }
    }

    // What a 16-bit clock field of the editor's at offset meets in the performance table.
    enum class Spot {
        ClockField, // the start of a level's clock
        Uncovered,  // bytes of a level whose meaning the structure does not give
        Meaningful, // another field of a level: its id, voltage, fan, timings, or the middle of a clock
        Outside,    // no level at all
    };

    static Spot spotOf(const PerfTable& perf, std::int32_t offset) {
        if (clockAt(perf, offset)) return Spot::ClockField;
        const std::int64_t stride =
            perf.entryLength + static_cast<std::int64_t>(perf.subCount) * perf.subLength;
        const bool fx = perf.version < 0x20;
        for (const PerfLevel& level : perf.levels) {
            if (offset + 1 < level.offset || offset >= level.offset + stride) continue;
            auto overlaps = [&](std::int64_t first, std::int64_t last) {
                return first != 0 && offset <= last && offset + 1 >= first;
            };
            bool meaningful = overlaps(level.offset, level.offset) ||
                              overlaps(level.core.offset, level.core.offset + level.core.width - 1) ||
                              overlaps(level.timingBlock, level.timingBlock + kTimingBlockLength - 1) ||
                              overlaps(level.offset + (fx ? 55 : 4), level.offset + (fx ? 55 : 4));
            if (level.voltage) meaningful = meaningful || overlaps(level.voltageOffset, level.voltageOffset);
            for (const PerfClock& memory : level.memory)
                meaningful = meaningful || overlaps(memory.offset, memory.offset + memory.width - 1);
            return meaningful ? Spot::Meaningful : Spot::Uncovered;
        }
        return Spot::Outside;
    }

    void clockField(const std::string& caption, const ClockTable& table, CardField field,
                    const std::vector<std::int32_t>& offsets, const PerfTable& perf) {
        std::vector<std::string> wrong;
        std::vector<std::string> levels;
        std::vector<std::int32_t> uncovered;
        for (const ShownClock& shown : table.shown) {
            if (shown.field != field) continue;
            const Spot spot = spotOf(perf, shown.offset);
            if (spot == Spot::Uncovered) {
                uncovered.push_back(shown.offset);
                continue;
            }
            if (spot != Spot::ClockField) {
                wrong.push_back("it is read at " + hexOffset(shown.offset) +
                                (spot == Spot::Outside
                                     ? ", where no performance level keeps a clock"
                                     : ", a field of a performance level that is no clock"));
                continue;
            }
            const auto place = clockAt(perf, shown.offset);
            const std::string where = levelName(perf, *place->level) + (place->core ? " core" : " memory");
            if (place->clock->value != shown.stored) {
                wrong.push_back(
                    "it is read at " + hexOffset(shown.offset) + " as " +
                    mhz(shown.stored, table.hundredths) + ", but " + where + " holds " +
                    mhz(place->clock->value, table.hundredths) +
                    (place->clock->value > 0xFFFF ? ", more than the 16 bits the editor reads" : ""));
                continue;
            }
            levels.push_back(where + " at " + hexOffset(shown.offset) + ", " +
                             mhz(shown.stored, table.hundredths));
        }
        std::int32_t writes = 0;
        std::vector<std::int32_t> stray;
        for (const ClockSlot& slot : table.writes) {
            if (slot.field != field) continue;
            ++writes;
            const Spot spot = spotOf(perf, slot.offset);
            if (spot == Spot::Uncovered)
                uncovered.push_back(slot.offset);
            else if (spot != Spot::ClockField)
                stray.push_back(slot.offset);
        }
        if (!stray.empty())
            wrong.push_back("the save writes it at " + offsetsText(stray) +
                            ", outside every performance level's clock fields");
        if (!wrong.empty()) {
            const std::vector<std::int32_t> fields = clockFields(perf);
            add(caption, kClockTable, Agreement::Contradicted,
                "The " + caption + ": " + joined(wrong, "; ") +
                    (fields.empty()
                         ? std::string(" (the performance table holds no level)")
                         : " (the levels keep their clocks from " + hexOffset(fields.front()) + ")") +
                    ".",
                offsets, fields.empty() ? std::vector<std::int32_t>{perf.offset} : fields);
            return;
        }
        if (!uncovered.empty()) {
            std::sort(uncovered.begin(), uncovered.end());
            uncovered.erase(std::unique(uncovered.begin(), uncovered.end()), uncovered.end());
            add(caption, kClockTable, Agreement::NotChecked,
                "the BIOS structure does not say what a version " + hex2(perf.version) +
                    " performance level holds at " + offsetsText(uncovered),
                offsets, {perf.offset});
            return;
        }
        add(caption, kClockTable, Agreement::Confirmed,
            "The " + caption + " is " + (levels.empty() ? std::string("not shown") : joined(levels, "; ")) +
                "; every field the save writes for it (" + std::to_string(writes) +
                ") is a clock field of a performance level.",
            offsets);
    }

    void timings() {
        if (!m_d.timings.timings) return;
        const MemoryTimings& t = *m_d.timings.timings;
        for (const Control box : kTimingBoxes) {
            const CardField field = *controlInfo(box).field;
            const std::vector<std::int32_t> offsets = timingOffsets(t, field);
            if (offsets.empty()) continue;
            const std::string caption(controlInfo(box).caption);
            if (!m_s.hasStructure())
                add(caption, kTimingBytes, Agreement::NotChecked, kNoStructure, offsets);
            else if (field == CardField::TimingA)
                timingA(offsets);
            else
                timingSet(caption, offsets);
        }
    }

    void timingSet(const std::string& caption, const std::vector<std::int32_t>& offsets) {
        std::vector<std::pair<std::int32_t, std::string>> blocks; // first byte, what it is
        if (m_s.perf && m_s.perf->known)
            for (const PerfLevel& level : m_s.perf->levels)
                if (level.timingBlock) blocks.emplace_back(level.timingBlock, levelName(*m_s.perf, level));
        std::int32_t blockLength = kTimingBlockLength;
        std::string kind = "timing block";
        if (blocks.empty() && m_s.timing && m_s.timing->known) {
            for (std::size_t i = 0; i < m_s.timing->entries.size(); ++i)
                blocks.emplace_back(m_s.timing->entries[i], "timing entry " + std::to_string(i));
            blockLength = m_s.timing->entryLength;
            kind = "timing table entry";
        }
        if (blocks.empty()) {
            add(caption, kTimingBytes, Agreement::NotChecked,
                "the BIOS structure gives no timing block for this card's timings", offsets);
            return;
        }
        std::vector<std::string> in;
        std::vector<std::int32_t> starts;
        for (const auto& [start, name] : blocks)
            starts.push_back(start);
        for (std::size_t copy = 0; copy < offsets.size(); ++copy) {
            const std::int32_t at = offsets[copy];
            const auto block = std::find_if(blocks.begin(), blocks.end(), [&](const auto& b) {
                return at >= b.first && at < b.first + blockLength;
            });
            if (block == blocks.end()) {
                add(caption, kTimingBytes, Agreement::Contradicted,
                    "The " + caption + " byte at " + hexOffset(at) + " lies outside every " + kind + " (" +
                        std::to_string(blockLength) + " bytes each from " + offsetsText(starts) + ").",
                    offsets, starts);
                return;
            }
            in.push_back(block->second + " byte " + std::to_string(at - block->first));
        }
        add(caption, kTimingBytes, Agreement::Confirmed,
            "The " + caption + " bytes lie in the " + kind +
                "s of the performance levels: " + joined(in, ", ") + ".",
            offsets, starts);
    }

    void timingA(const std::vector<std::int32_t>& offsets) {
        if (!m_s.scripts) {
            add("Timing A", kTimingBytes, Agreement::NotChecked,
                "the BIOS structure points to no init scripts", offsets);
            return;
        }
        for (const RestrictedProgram& program : m_s.scripts->programs) {
            const std::int32_t byte = offsets.front() - program.valuesOffset;
            if (byte < 0 || byte > 3 || offsets.size() > program.count) continue;
            bool stride4 = true;
            for (std::size_t i = 0; i < offsets.size(); ++i)
                stride4 =
                    stride4 && offsets[i] == program.valuesOffset + 4 * static_cast<std::int32_t>(i) + byte;
            if (!stride4) continue;
            char reg[16];
            std::snprintf(reg, sizeof reg, "%Xh", program.reg);
            add("Timing A", kTimingBytes, Agreement::Confirmed,
                "Timing A is byte " + std::to_string(byte + 1) + " of the " + std::to_string(offsets.size()) +
                    " values of the init scripts' restricted program for register " + reg + " at " +
                    hexOffset(program.offset) + ".",
                offsets, {program.offset});
            return;
        }
        std::vector<std::int32_t> programs;
        for (const RestrictedProgram& program : m_s.scripts->programs)
            programs.push_back(program.offset);
        if (walkEndedEarly(m_s)) {
            add("Timing A", kTimingBytes, Agreement::NotChecked,
                "Timing A lies in no restricted program the walk of the init scripts reached, and the walk "
                "ended early",
                offsets, programs);
            return;
        }
        add("Timing A", kTimingBytes, Agreement::Contradicted,
            "Timing A's bytes from " + hexOffset(offsets.front()) +
                " lie in no restricted program of the init scripts" +
                (programs.empty() ? std::string(" (they have none)")
                                  : " (programs at " + offsetsText(programs) + ")") +
                ".",
            offsets, programs);
    }

  private:
    const RomStructure& m_s;
    const CardData& m_d;
    StructureCheck& m_c;
    bool m_voltagesConfirmed = false;
};

} // namespace

std::string agreementName(Agreement agreement) {
    switch (agreement) {
    case Agreement::Confirmed:
        return "confirmed";
    case Agreement::NotChecked:
        return "not checked";
    case Agreement::Contradicted:
        return "contradicted";
    }
    return {};
}

bool StructureCheck::contradicted() const {
    return std::any_of(verdicts.begin(), verdicts.end(),
                       [](const StructureVerdict& v) { return v.agreement == Agreement::Contradicted; });
}

std::string StructureCheck::line() const {
    const auto first = std::find_if(verdicts.begin(), verdicts.end(), [](const StructureVerdict& v) {
        return v.agreement == Agreement::Contradicted;
    });
    if (first != verdicts.end())
        return "Warning: the " + first->table + " found " + (first->table == kTimingBytes ? "do" : "does") +
               " not match the BIOS structure";
    if (!hasStructure) return "Not checked: no BMP or BIT structure";
    const bool confirmed = std::any_of(verdicts.begin(), verdicts.end(), [](const StructureVerdict& v) {
        return v.agreement == Agreement::Confirmed;
    });
    if (confirmed) return "Tables confirmed by the BIOS structure";
    return "Not checked: the BIOS structure does not cover the tables found";
}

std::string StructureCheck::details() const {
    if (verdicts.empty())
        return hasStructure ? "The editor found no table to check."
                            : "The image has no BMP or BIT structure.";
    std::string text;
    for (const StructureVerdict& v : verdicts) {
        std::string sentence = v.text;
        if (!sentence.empty() && sentence.back() != '.') sentence += ".";
        if (v.agreement == Agreement::NotChecked) sentence = v.subject + ": not checked: " + sentence;
        text += (text.empty() ? "" : "\n") + sentence;
    }
    return text;
}

std::string StructureCheck::contradictions() const {
    std::string text;
    for (const StructureVerdict& v : verdicts)
        if (v.agreement == Agreement::Contradicted) text += (text.empty() ? "" : "\n") + v.text;
    return text;
}

StructureCheck checkStructure(const RomStructure& structure, const CardData& data) {
    StructureCheck check;
    check.hasStructure = structure.hasStructure();
    Checker checker(structure, data, check);
    checker.voltageTable();
    checker.levelVoltages();
    checker.clocks();
    checker.timings();
    return check;
}

} // namespace zfx
