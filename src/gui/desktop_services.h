// SPDX-License-Identifier: MIT
#pragma once

#include "editor/editor_host.h"

#include <QString>
#include <QUrl>

#include <optional>

class QWidget;

namespace zfx::gui {

// The files the structure and comparison menu asks for.
enum class ChosenFile { CompareWith, ExportSettings, ApplySettings };

// The desktop's modal boxes, file dialogs and handler of links. The windows never call them
// directly, so tests can answer them from a script.
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

    // What the structure and comparison menu and the settings files ask. A desktop without them
    // answers as a user who cancels: no file, No, nothing to read.
    // The image to compare with, or the settings file to export to or to apply; the dialog
    // proposes a path unless it is empty.
    virtual std::optional<QString> chooseFile(QWidget* parent, ChosenFile file, const QString& proposed);
    // A question with Yes and No; true: Yes.
    virtual bool ask(QWidget* parent, const QString& question, const QString& detail);
    // A note with OK.
    virtual void tell(QWidget* parent, const QString& text, const QString& detail);

    // The links of the link labels and of the help window that are no guides. Opens one with the
    // desktop's handler; false when no program could (a desktop without one opens nothing).
    virtual bool openLink(const QUrl& url);
    // Says that no program could open a link, with the address to copy.
    virtual void reportUnopenedLink(QWidget* parent, const QString& address);
};

// The real ones: QMessageBox and QFileDialog.
class QtDesktopServices final : public DesktopServices {
  public:
    void showMessage(QWidget* parent, const Message& message) override;
    std::optional<QString> chooseOpenFile(QWidget* parent, const QString& folder) override;
    std::optional<SaveChoice> chooseSaveFile(QWidget* parent, const QString& proposed) override;
    UnsavedChanges askToSaveChanges(QWidget* parent, const QString& question) override;
    bool confirmSave(QWidget* parent, const QString& question, const QString& detail) override;
    std::optional<QString> chooseFile(QWidget* parent, ChosenFile file, const QString& proposed) override;
    bool ask(QWidget* parent, const QString& question, const QString& detail) override;
    void tell(QWidget* parent, const QString& text, const QString& detail) override;
    bool openLink(const QUrl& url) override;
    void reportUnopenedLink(QWidget* parent, const QString& address) override;
};

// The filter list of both file dialogs, in Qt's form: ROM images (.rom and .bin, the first), the
// design's two entries, and all files.
QStringList biosFileFilters();

} // namespace zfx::gui
