// SPDX-License-Identifier: MIT
#pragma once

#include "analysis/image_analysis.h"
#include "analysis/image_comparison.h"
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
    // The performance levels' values the user changed that no mode box or list shows; written
    // after the modes' values.
    std::map<LevelCell, std::string> levels{};
};

// What speaks against a save: the user must agree to it first (the window asks, a script must say
// --force). The question asks it; the detail says why.
struct SaveObjection {
    enum class Kind {
        DamagedDump,  // the opened file was cut short or its checksum was wrong: a save would hide it
        Contradicted, // the image's own structure contradicts the tables the save writes into
    };
    Kind kind;
    std::string question;
    std::string detail;
};

// Every byte a save changes, each naming its field, then the checksum byte, the image that
// results, analysed, the values that change with it, and what speaks against writing it.
struct SavePlan {
    std::vector<ByteWrite> writes;
    std::vector<LevelByte> levelWrites; // the performance levels' values, after the writes above
    std::int32_t checksumOffset = 0;
    std::uint8_t checksum = 0;
    ImageAnalysis after;
    std::vector<FieldChange> changes; // every value whose bytes the writes change, in the window's order
    ChecksumChange checksumChange;    // the checksum byte before and after
    std::vector<SaveObjection> objections;
    std::vector<std::string> notes; // what the report adds for the user
};

inline constexpr const char* kSaveDamagedDump =
    "The file you opened is damaged, and a save would give it a correct checksum and hide that. Save anyway?";
inline constexpr const char* kSaveOverChangedFile =
    "The file changed on disk after it was opened. Replace it anyway?";
inline constexpr const char* kSaveDespiteStructure =
    "The BIOS structure contradicts the tables this save writes into. Save anyway?";

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
