// SPDX-License-Identifier: MIT
#pragma once

#include "editor/editor_model.h"

#include <QString>

namespace zfx::gui {

// The performance levels as the Info box shows them: a table of numbers the program writes, in
// rich text, and the same levels as lines of plain text for its tool tip.
struct LevelsTable {
    QString html;
    QString toolTip;
};
// Only for a preview with levels.
LevelsTable levelsTable(const EditorModel::LevelsPreview& preview);

} // namespace zfx::gui
