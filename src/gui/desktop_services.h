// SPDX-License-Identifier: MIT
#pragma once

#include "editor/editor_host.h"

#include <QString>

#include <optional>

class QWidget;

namespace zfx::gui {

// The desktop's modal boxes and file dialogs. The window never calls them directly, so tests
// can answer them from a script.
class DesktopServices {
  public:
    virtual ~DesktopServices() = default;
    virtual void showMessage(QWidget* parent, const Message& message) = 0;
    // Starts in folder.
    virtual std::optional<QString> chooseOpenFile(QWidget* parent, const QString& folder) = 0;
    // Proposes a path (its folder when it is empty).
    virtual std::optional<SaveChoice> chooseSaveFile(QWidget* parent, const QString& proposed) = 0;
    // "Save the changes to card.rom?" with Save, Discard and Cancel.
    virtual UnsavedChanges askToSaveChanges(QWidget* parent, const QString& question) = 0;
    // A warning before a save, with the reasons as informative text; true: Save, false: Cancel.
    virtual bool confirmSave(QWidget* parent, const QString& question, const QString& detail) = 0;
};

// The real ones: QMessageBox and QFileDialog.
class QtDesktopServices final : public DesktopServices {
  public:
    void showMessage(QWidget* parent, const Message& message) override;
    std::optional<QString> chooseOpenFile(QWidget* parent, const QString& folder) override;
    std::optional<SaveChoice> chooseSaveFile(QWidget* parent, const QString& proposed) override;
    UnsavedChanges askToSaveChanges(QWidget* parent, const QString& question) override;
    bool confirmSave(QWidget* parent, const QString& question, const QString& detail) override;
};

// Says that no program could open a link, with the address to copy.
void reportUnopenedLink(QWidget* parent, const QString& address);

// The filter list of both file dialogs, in Qt's form: ROM images (.rom and .bin, the first), the
// design's two entries, and all files.
QStringList biosFileFilters();

} // namespace zfx::gui
