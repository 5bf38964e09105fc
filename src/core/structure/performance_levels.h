// SPDX-License-Identifier: MIT
#pragma once

#include "structure/level_places.h"
#include "structure/rom_structure.h"
#include "structure/structure_check.h"
#include "tables/card_data.h"
#include "tables/card_field.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zfx {

// The performance levels as the editor changes them: each level's core clock, memory copies,
// voltage and fan, read from the image's own performance table, with the place of each. A driver
// runs the card from these levels, whatever the byte patterns of the mode boxes find.

struct LevelByte {
    std::int32_t offset = 0;
    std::uint8_t value = 0;
};

struct EditableLevel {
    std::uint8_t id = 0;
    PerfClock core;
    std::vector<PerfClock> memory; // one copy per memory configuration where the table repeats it
    // The copies that hold the level's shown memory clock: the value most copies hold, on a tie
    // the lowest copy's. The others belong to other memory configurations.
    std::vector<int> shownCopies;
    std::optional<std::uint8_t> voltage; // 10 mV
    std::int32_t voltageOffset = 0;
    std::optional<std::uint8_t> fan; // percent
    std::int32_t fanOffset = 0;
    std::uint32_t shownMemory() const {
        return memory.at(static_cast<std::size_t>(shownCopies.front())).value;
    }
};

struct EditableLevels {
    bool hundredths = true; // clocks in 10 kHz (GeForce FX) rather than whole MHz (GeForce 6)
    std::vector<EditableLevel> levels;
    // The voltages the voltage table has, ascending, each once: the only ones a level may ask for.
    // Empty when the structure decodes no voltage table.
    std::vector<std::uint8_t> tableVoltages;
    const EditableLevel* find(std::uint8_t id) const;
};

// The levels, where the performance table decodes soundly: a known version (GeForce FX 12h..15h,
// GeForce 6 21h..25h), its header and every level inside the image, each long enough for its
// clocks. Absent otherwise.
std::optional<EditableLevels> editableLevels(const RomStructure& structure);

// A level's value that a mode control of the window shows as well, as the structure confirms:
// the box reads the level's clock, or the list sets the level's voltage. The two are one value.
struct LevelLink {
    LevelCell cell;
    CardField field; // the mode box's or list's field
};
std::vector<LevelLink> levelLinks(const EditableLevels& levels, const CardData& data,
                                  const StructureCheck& check, const LevelPlaces& places);

// "80h:core", "80h:memory", "80h:memory.3", "80h:voltage", "80h:fan"; the id as "80h" or "0x80".
struct LevelCellRead {
    std::optional<LevelCell> cell;
    std::string error; // why the text names no value of a level
};
LevelCellRead readLevelCell(std::string_view text);
std::string levelCellName(const LevelCell& cell);
// The value in words, for messages: "level 80h core clock", "level 80h memory copy 3".
std::string levelCellCaption(const LevelCell& cell);
// Why the image has no such value ("the image has no level 90h"); absent when it has.
std::optional<std::string> lackingCell(const EditableLevels& levels, const LevelCell& cell);
// Every value of a level, in the table's order: core, memory, each copy, voltage, fan.
std::vector<LevelCell> cellsOf(const EditableLevel& level);

// What a value holds in the file (the shown memory clock for memory), and how people read it:
// "275.49" or "350" MHz, "1.44" V, "40" percent. The unit alone: "MHz", "V", "%".
std::optional<std::uint32_t> fileValue(const EditableLevels& levels, const LevelCell& cell);
std::string valueText(const EditableLevels& levels, const LevelCell& cell, std::uint32_t stored);
std::string levelUnit(const LevelCell& cell);

// A user's text as the value stored: MHz with at most two decimals on GeForce FX, whole MHz on
// GeForce 6, a voltage as "1.44" or "1.44V", a fan of 0 to 100. notANumber tells a text that is
// no number of the kind from one out of range or not in the voltage table.
struct LevelValueRead {
    std::optional<std::uint32_t> stored;
    std::string refusal;
    bool notANumber = false;
};
LevelValueRead readLevelValue(const EditableLevels& levels, const LevelCell& cell, std::string_view text);
// A voltage as a user writes it ("1.44", "1.44V", "1.44 V") in 10 mV, whether the table has it or not.
std::optional<std::uint32_t> voltageOf(std::string_view text);
// The range a value takes, in words: "0 to 42949672.95 MHz", "1.29 V or 1.44 V", "0 to 100 %".
std::string levelRange(const EditableLevels& levels, const LevelCell& cell);

// The bytes every value writes, in the order memory, then its copies: a copy given on its own
// wins over the level's memory clock. The first value refused stops it, and nothing is written.
struct LevelWrite {
    std::vector<LevelByte> writes;
    std::optional<ValueFailure> failure;
};
LevelWrite writeLevels(const EditableLevels& levels, const std::map<LevelCell, std::string>& texts);

// The places a value's bytes lie at, with the bytes of each.
struct LevelPlace {
    std::int32_t offset = 0;
    std::int32_t width = 1;
};
std::vector<LevelPlace> cellPlaces(const EditableLevels& levels, const LevelCell& cell);

} // namespace zfx
