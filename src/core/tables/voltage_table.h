// SPDX-License-Identifier: MIT
#pragma once

#include "image/bios_image.h"
#include "image/card_identity.h"
#include "tables/card_field.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zfx {

// A voltage the card can be given: in 10 mV units, and the code its regulator takes for it.
struct VoltageEntry {
    std::int32_t voltage;
    std::int32_t code;
};

// One of the table's stored pairs and the bytes that hold it.
struct StoredVoltage {
    VoltageEntry entry;
    std::int32_t voltageOffset;
    std::int32_t codeOffset;
};

// A mode's place in the table: the stored pair its choice is written over, and the list
// position the reader selects for it.
struct VoltageMode {
    std::size_t storedIndex;
    int selected;
};

// The core-voltage table: the marker 10 02 03 (three pairs) or 10 02 02 (two), then the highest
// code the card takes at +4 and (voltage, code) pairs from +5.
struct VoltageTable {
    std::int32_t offset = 0;
    std::int32_t maxCode = 0;
    std::int32_t maxCodeOffset = 0;
    std::vector<StoredVoltage> stored;
    // What the mode lists offer, by position: the stored pairs, then further ones the card takes.
    std::vector<VoltageEntry> offered;
    // By kVoltageModes; absent where this card's table has no pair for the mode.
    std::array<std::optional<VoltageMode>, 3> modes;
};

struct VoltageTableRead {
    std::optional<VoltageTable> table;
    std::string notFound;              // why there is no table, when there is none
    std::vector<std::string> messages; // what the reader shows, in order
    // The offset the editor's offsets report keeps: the 5800 group records its marker even when
    // the table runs past the end; absent leaves the previous value.
    std::optional<std::int32_t> recordedOffset;
};

// The families with a voltage table: the 5600 group (5600, 5700 and Quadro FX 1000/2000) and the
// 5800 group (5800, 5900, 6800, Quadro FX 3000).
bool hasVoltageTable(const CardFlags& flags);

VoltageTableRead readVoltageTable(const BiosImage& image, const CardFlags& flags);

// The voltages common to a card family that "Generalmode" offers instead of the table's, with
// codes 0, 1, ... by position; which lists get them, and which are switched on or off (absent:
// left as they were). Absent when the family or its highest code has none.
struct GeneralModeVoltages {
    std::vector<VoltageEntry> entries;
    std::array<bool, 3> offeredIn;              // by kVoltageModes
    std::array<std::optional<bool>, 3> enabled; // by kVoltageModes
};
std::optional<GeneralModeVoltages> generalModeVoltages(const CardFlags& flags, std::int32_t maxCode);

// The bytes that store each mode's choice: selected[m] is the list position chosen for
// kVoltageModes[m] (-1: none, the pair stays), taken from offered.
TableWrite writeVoltages(const VoltageTable& table, const std::vector<VoltageEntry>& offered,
                         const std::array<int, 3>& selected);

} // namespace zfx
