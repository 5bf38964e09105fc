// SPDX-License-Identifier: MIT
#pragma once

#include "editor/window_controls.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace zfx::gui {

class TarvEdit;
class StructureWindow;
class ComparisonWindow;

// The files the menu's entries ask for.
enum class ChosenFile { CompareWith, ExportSettings, ApplySettings };

// The questions the menu's entries ask the user, replaceable so tests answer them from a script.
struct MenuDialogs {
    std::function<std::optional<QString>(QWidget*, ChosenFile)> chooseFile;
    // A question with Yes and No; true: Yes.
    std::function<bool(QWidget*, const QString& question, const QString& detail)> ask;
    std::function<void(QWidget*, const QString& text, const QString& detail)> tell;
};
MenuDialogs qtMenuDialogs();

// The file the user chooses for the open image; nothing when no image is open (the user is told
// so) or the choice is cancelled.
std::optional<QString> chooseFileForOpenImage(TarvEdit& window, const MenuDialogs& dialogs, ChosenFile file);

// What the main window offers to look inside the image: View > BIOS Structure and File > Compare
// With..., whose windows it keeps, and File > Export Settings... and File > Apply Settings...,
// which settings_files.h carries out. It adds its menu entries to the window and follows the
// focus of the window's boxes and lists.
class StructureAndComparisonMenu final : public QObject {
  public:
    explicit StructureAndComparisonMenu(TarvEdit& window);
    ~StructureAndComparisonMenu() override;

    void setDialogs(MenuDialogs dialogs) { m_dialogs = std::move(dialogs); }

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
    MenuDialogs m_dialogs;
    StructureWindow* m_structure = nullptr;
    ComparisonWindow* m_comparison = nullptr;
};

} // namespace zfx::gui
