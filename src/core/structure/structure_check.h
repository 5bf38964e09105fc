// SPDX-License-Identifier: MIT
#pragma once

#include "tables/card_data.h"
#include "structure/rom_structure.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zfx {

// How a value the editor found by its byte patterns stands against the image's own structure.
enum class Agreement {
    Confirmed,    // the structure has the same value at the same place
    NotChecked,   // no BMP or BIT, a table version not known, or a field the structure does not cover
    Contradicted, // the structure gives another place or value: both are named
};

std::string agreementName(Agreement agreement); // "confirmed", "not checked", "contradicted"

struct StructureVerdict {
    std::string subject; // "voltage table", "3D core clock", "Timing A", ...
    std::string table;   // what the status line names: "voltage table", "clock table", "timing bytes"
    Agreement agreement = Agreement::NotChecked;
    std::string text;                    // one sentence; a contradiction names both places
    std::vector<std::int32_t> found;     // where the editor found or writes it
    std::vector<std::int32_t> structure; // where the structure has it
};

struct StructureCheck {
    bool hasStructure = false;
    std::vector<StructureVerdict> verdicts;
    bool contradicted() const;
    // "Tables confirmed by the BIOS structure", "Not checked: no BMP or BIT structure" or
    // "Warning: the clock table found does not match the BIOS structure".
    std::string line() const;
    std::string details() const;
    // Every contradiction, one sentence each, for the question before a save.
    std::string contradictions() const;
};

// Checks every value the editor shows and every byte its save would write, as the card data give
// them, against the structure decoded from the same image.
StructureCheck checkStructure(const RomStructure& structure, const CardData& data);

} // namespace zfx
