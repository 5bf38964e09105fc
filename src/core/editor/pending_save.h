// SPDX-License-Identifier: MIT
#pragma once

#include "save/save_plan.h"
#include "structure/level_places.h"

#include <string>
#include <vector>

namespace zfx {

// The performance levels as the card would run them if the window's values were saved now, one
// line each under a heading; empty when the image has no decoded levels.
struct LevelsPreview {
    std::string heading; // "Performance levels", or "... after a save" while edited
    std::vector<LevelSummary> levels;
};

// What a save of the window's values would do now. The model plans it once each time the user's
// edits change, and everything that shows a pending save reads it from here: the preview of the
// levels, the bytes the structure window marks, the change list, and Save BIOS, which writes the
// plan it holds.
struct PendingSave {
    SaveEdits edits;        // what the user changed
    SavePlanResult planned; // the plan of those edits, or the first value it refuses
    LevelsPreview levels;
};

} // namespace zfx
