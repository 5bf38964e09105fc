// SPDX-License-Identifier: MIT
#pragma once

#include "dialogs.h"
#include "help_window.h"
#include "link_label.h"
#include "main_window.h"

namespace zfx::gui {

// The program's windows, created in the order the About dialog relies on: the main window
// first (it sets the version text), then Form1 to Form4, hidden.
struct EditorWindows {
    explicit EditorWindows(DesktopServices& services, const LinkTargets& links = defaultLinkTargets(),
                           QSettings* settings = nullptr)
        : TarvEdit(services, settings), Form1(services, links),
          Form2(services, TarvEdit.versionText(), links) {
        TarvEdit.setDialogs({&Form1, &Form2, &Form3, &Form4});
        // The links to the guides open them in the program's help window; web links in the browser.
        for (QDialog* form : {static_cast<QDialog*>(&Form1), static_cast<QDialog*>(&Form2)})
            for (QLabel* label :
                 form->findChildren<QLabel*>()) // the link label has no meta-object of its own
                if (auto* link = dynamic_cast<TKydUrlLabel*>(label);
                    link && isGuide(QUrl(link->URL.isEmpty() ? link->text() : link->URL)))
                    link->setViewer(
                        [this](const QString& target) { TarvEdit.helpWindow().showGuide(QUrl(target)); });
    }

    gui::TarvEdit TarvEdit;
    TForm1 Form1;
    TForm2 Form2;
    TForm3 Form3;
    TForm4 Form4;
};

} // namespace zfx::gui
