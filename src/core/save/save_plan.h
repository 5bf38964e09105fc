// SPDX-License-Identifier: MIT
#pragma once

#include "analysis/image_analysis.h"
#include "tables/card_data.h"
#include "tables/card_field.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zfx {

// What the user asks of a save: the texts of the boxes the user changed, the list positions the
// user chose and what the lists offer at each position. Boxes and lists left alone are absent
// and write nothing.
struct SaveEdits {
    FieldTexts texts;
    std::array<int, 3> selections{-1, -1, -1}; // by kVoltageModes, -1 where the user left the list alone
    std::vector<VoltageEntry> offered;         // the table's entries, or general mode's
    bool timingsEdited = false;                // "Edit memory timings" is ticked and its bytes were read
};

// Every byte a save changes, each naming its field, then the checksum byte, and the image that
// results, analysed.
struct SavePlan {
    std::vector<ByteWrite> writes;
    std::int32_t checksumOffset = 0;
    std::uint8_t checksum = 0;
    ImageAnalysis after;
};

// A plan, or the first value the save refuses (then there is no plan and nothing is written).
struct SavePlanResult {
    std::optional<SavePlan> plan;
    std::optional<ValueFailure> refused;
};

// Plans a save of the opened image. shown holds the tables the window read and filled its
// controls from: the save writes into their places. Every changed box is converted and checked
// before any byte changes, so a refused value leaves no partial image.
SavePlanResult planSave(const ImageAnalysis& opened, const CardData& shown, const SaveEdits& edits);

// A refused value in words: "3D core clock is 900; it must be 0 to 655 MHz."
std::string refusalText(const ValueFailure& failure);

} // namespace zfx
