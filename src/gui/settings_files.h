// SPDX-License-Identifier: MIT
#pragma once

#include "structure_and_comparison_menu.h"

namespace zfx::gui {

// File > Export Settings...: the window's values, written to a settings file the user chooses.
void exportSettingsFile(TarvEdit& window, DesktopServices& services);
// File > Apply Settings...: the values of a settings file the user chooses, as unsaved edits of
// the window, with the changes a save would make; another card's only when the user says so.
void applySettingsFile(TarvEdit& window, DesktopServices& services);

} // namespace zfx::gui
