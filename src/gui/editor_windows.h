// SPDX-License-Identifier: MIT
#pragma once

#include "dialogs.h"
#include "main_window.h"

namespace zfx::gui {

// The program's windows, created in the order the About dialog relies on: the main window
// first (it sets the version text), then Form1 to Form4, hidden.
struct EditorWindows {
    explicit EditorWindows(DesktopServices& services, const LinkTargets& links = defaultLinkTargets())
        : TarvEdit(services), Form1(links), Form2(TarvEdit.versionText(), links) {
        TarvEdit.setDialogs({&Form1, &Form2, &Form3, &Form4});
    }

    gui::TarvEdit TarvEdit;
    TForm1 Form1;
    TForm2 Form2;
    TForm3 Form3;
    TForm4 Form4;
};

} // namespace zfx::gui
