// SPDX-License-Identifier: MIT
#pragma once

#include "desktop_services.h"
#include "editor/window_controls.h"

#include <QObject>
#include <QString>

#include <optional>

namespace zfx::gui {

class TarvEdit;
class StructureWindow;
class ComparisonWindow;

// The file the user chooses for the open image, the dialog proposing a path (none when empty);
// nothing when no image is open (the user is told so) or the choice is cancelled.
std::optional<QString> chooseFileForOpenImage(TarvEdit& window, DesktopServices& services, ChosenFile file,
                                              const QString& proposed);

// What the main window offers to look inside the image: View > BIOS Structure and File > Compare
// With..., whose windows it keeps, and File > Export Settings... and File > Apply Settings...,
// which settings_files.h carries out. It adds its menu entries to the window and follows the
// focus of the window's boxes and lists.
class StructureAndComparisonMenu final : public QObject {
  public:
    // services asks the user for the files and tells what went wrong.
    StructureAndComparisonMenu(TarvEdit& window, DesktopServices& services);
    ~StructureAndComparisonMenu() override;

    void showStructure();
    void compareWith();
    // The window changed (an edit, an open, a save): the open windows show it.
    void refresh();

    StructureWindow* structureWindow() const { return m_structure; }
    ComparisonWindow* comparisonWindow() const { return m_comparison; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void addMenuEntries();

    TarvEdit& m_window;
    DesktopServices& m_services;
    StructureWindow* m_structure = nullptr;
    ComparisonWindow* m_comparison = nullptr;
};

} // namespace zfx::gui
