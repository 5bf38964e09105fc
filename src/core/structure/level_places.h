// SPDX-License-Identifier: MIT
#pragma once

#include "structure/rom_structure.h"
#include "structure/structure_check.h"
#include "tables/card_data.h"
#include "tables/card_field.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zfx {

// Where the card keeps a value beyond the places the byte patterns name, as the image's own
// performance levels show it. Only fields the structure confirms get places here; for every other
// field (no BMP or BIT, an unknown table, a contradiction) the save writes what the patterns say.

// A clock field's copies in one performance level. An FX level keeps its memory clock once per
// memory configuration; the card runs the copy of its own configuration, which the file does not
// tell, so a save writes every copy that held the value the box showed. A copy that held another
// value belongs to another configuration and is left as it is.
struct LevelCopies {
    CardField field;
    std::uint8_t levelId = 0;
    std::vector<std::int32_t> patternSlots; // where the patterns write the field in this level
    std::vector<std::int32_t> written;      // every copy of the level that held the shown value
    std::vector<PerfClock> left;            // the copies that held another value
};

// The voltage byte of a performance level, which a mode's list sets.
struct LevelVoltage {
    std::uint8_t levelId = 0;
    std::int32_t offset = 0;
    std::uint8_t voltage = 0; // 10 mV, as read
};

struct LevelPlaces {
    std::vector<LevelCopies> clocks;
    // Whether the levels carry their own voltage and the structure confirms the voltage table:
    // then a driver picks each level's VID by looking its voltage up in the table.
    bool levelVoltages = false;
    // By kVoltageModes: the levels a mode's core clock lives in, whose voltage its list sets.
    // Empty where the mode writes the voltage table as the patterns say.
    std::array<std::vector<LevelVoltage>, 3> modeLevels;
};

LevelPlaces levelPlaces(const RomStructure& structure, const CardData& data, const StructureCheck& check);

// The clock writes moved onto every copy: a write into a slot of a confirmed field goes to each
// copy of its level that held the shown value, and to no copy that held another.
std::vector<ByteWrite> writesToEveryCopy(const std::vector<ByteWrite>& writes, const LevelPlaces& places);

// What each mode's list choice stores. A mode whose levels carry their voltage sets their voltage
// byte to the chosen one; when the table has no entry with that voltage and code (general mode's,
// or one of the entries generated above the table's codes), the mode's table entry is written as
// well, so that the levels' voltage has an entry. Every other mode writes its table entry.
std::vector<ByteWrite> voltageWrites(const VoltageTable& table, const std::vector<VoltageEntry>& offered,
                                     const std::array<int, 3>& selected, const LevelPlaces& places);

// The list position that shows the voltage a mode's level asks for: the first of the table's own
// entries with that voltage; absent when the mode has no level or no entry has it.
std::optional<int> levelSelection(const VoltageTable& table, const LevelPlaces& places, std::size_t mode);

// A performance level as the card runs it, in short texts: id "20h", core "270 MHz", memory
// "250 MHz" with its copies "8 copies" (or "8 copies differ", the memory then naming every value:
// "350/300 MHz"), voltage "1.29 V"; empty where the level has none.
struct LevelSummary {
    std::string id;
    std::string core;
    std::string memory;
    std::string copies; // "8 copies", "8 copies differ"; empty for one
    int copyCount = 0;  // the memory copies the level keeps
    std::string voltage;
};
LevelSummary summarizeLevel(const PerfTable& perf, const PerfLevel& level);
// The same in one line: "20h: core 270 MHz, memory 250 MHz (8 copies), 1.29 V".
std::string levelText(const LevelSummary& level);

} // namespace zfx
