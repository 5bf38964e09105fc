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

// The files Inspection asks for.
enum class InspectedFile { CompareWith, ExportSettings, ApplySettings };

// The questions Inspection asks the user, replaceable so tests answer them from a script.
struct InspectionDialogs {
    std::function<std::optional<QString>(QWidget*, InspectedFile)> chooseFile;
    // A question with Yes and No; true: Yes.
    std::function<bool(QWidget*, const QString& question, const QString& detail)> ask;
    std::function<void(QWidget*, const QString& text, const QString& detail)> tell;
};
InspectionDialogs qtInspectionDialogs();

// What the main window offers to look inside the image: View > BIOS Structure, File > Compare
// With..., File > Export Settings... and File > Apply Settings.... It adds its menu entries to
// the window and follows the focus of the window's boxes and lists.
class Inspection final : public QObject {
  public:
    explicit Inspection(TarvEdit& window);
    ~Inspection() override;

    void setDialogs(InspectionDialogs dialogs) { m_dialogs = std::move(dialogs); }

    void showStructure();
    void compareWith();
    void exportSettings();
    void applySettings();
    // The window changed (an edit, an open, a save): the open windows show it.
    void refresh();

    StructureWindow* structureWindow() const { return m_structure; }
    ComparisonWindow* comparisonWindow() const { return m_comparison; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void addMenuEntries();

    TarvEdit& m_window;
    InspectionDialogs m_dialogs;
    StructureWindow* m_structure = nullptr;
    ComparisonWindow* m_comparison = nullptr;
};

} // namespace zfx::gui
