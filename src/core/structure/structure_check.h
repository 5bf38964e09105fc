// SPDX-License-Identifier: MIT
#pragma once

#include "checks/finding.h"
#include "structure/rom_structure.h"
#include "tables/card_data.h"

#include <string>
#include <vector>

namespace zfx {

// How a value the editor found by its byte patterns stands against the image's own structure,
// as a finding's severity: Passed, confirmed (the structure has the same value at the same
// place); Note, not checked (no BMP or BIT, a table version not known, or a field the structure
// does not cover); Problem, contradicted (the structure gives another place or value: the
// finding's places "found" and "structure" name both).
std::string agreementName(Severity severity); // "confirmed", "not checked", "contradicted"

// What the status line names for a finding: "voltage table", "clock table", "timing bytes".
std::string tableName(const Finding& finding);

struct StructureCheck {
    bool hasStructure = false;
    std::vector<Finding> findings;
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
