// SPDX-License-Identifier: MIT
#pragma once

#include "save/save_plan.h"
#include "structure/performance_levels.h"
#include "tables/card_data.h"

#include <string>
#include <vector>

namespace zfx {

// How far a value may move from what the file holds before a save questions it. Cards have been
// damaged by each of these: a clock raised far past the card's own, the memory's effective (DDR)
// rate typed where the real clock belongs, and a voltage above any the card's table offers. A
// clock far below the file's is a digit lost while typing (34 for 340), and a card whose clock is
// 0 does not start.
struct RiskLimits {
    // A clock more than this share above the file's value.
    double clockRise = 0.20;
    // A clock below this share of the file's value (and a clock of 0).
    double clockFall = 0.5;
    // A memory clock between these multiples of the file's: most likely the DDR rate typed as the
    // clock, which is twice the real one.
    double ddrLow = 1.8;
    double ddrHigh = 2.2;
};
inline constexpr RiskLimits kRiskLimits{};

// One line for each value a save would write that lies far from what the file holds, in the
// window's order: "3D core clock: 650 MHz is 100% above the file's 325 MHz." shown holds the
// tables the window read; imageTable is the image's own voltage table (general mode may offer
// voltages above it). Empty when nothing is risky.
std::vector<std::string> riskyValues(const CardData& shown, const VoltageTableRead& imageTable,
                                     const SaveEdits& edits, const RiskLimits& limits = kRiskLimits);

// The same for the performance levels' own values: a clock far above or below the file's, a memory
// clock about twice it, and a fan slower than the file's, which lets the card run hotter.
std::vector<std::string> riskyLevelValues(const EditableLevels& levels,
                                          const std::map<LevelCell, std::string>& texts,
                                          const RiskLimits& limits = kRiskLimits);

// The question a front end asks before such a save.
inline constexpr const char* kSaveRiskyValues = "Some values are far from what the file holds. Save anyway?";

} // namespace zfx
