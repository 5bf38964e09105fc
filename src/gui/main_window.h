// SPDX-License-Identifier: MIT
#pragma once

#include "desktop_services.h"
#include "editor/editor_model.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QCheckBox;
class QMenu;
class QSettings;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;

namespace zfx::gui {

class ChecksWindow;
class ElidingLabel;
class HelpWindow;
class LevelsEditor;
class StructureAndComparisonMenu;
class RecentFiles;
class SecondaryDialog;

// The main window: a thin view over the editor model. It shows the model's control states and
// passes the user's menu commands, ticks, selections and typing to it.
class TarvEdit final : public QMainWindow, private EditorHost {
  public:
    // settings keeps the window's place, the last folder and the recent files (the user's own
    // settings when null).
    explicit TarvEdit(DesktopServices& services, QSettings* settings = nullptr);
    ~TarvEdit() override;

    // The secondary windows, created after this one.
    void setDialogs(std::array<SecondaryDialog*, 4> forms) { m_forms = forms; }

    EditorModel& model() { return m_model; }
    const std::string& versionText() const { return m_model.versionText(); }
    // Opens a file as Open BIOS... would, without the dialog (command line, drop).
    void openFile(const QString& path);
    // The guides inside the program; the "How do I ?" links and the Help menu open them.
    HelpWindow& helpWindow();
    // The files opened or saved last, newest first.
    QStringList recentFiles() const;
    // The structure and comparison windows and the settings files.
    StructureAndComparisonMenu& structureAndComparison() { return *m_structureAndComparison; }
    // Runs a change of the model from outside the window as a user's action: the window shows it.
    void runAction(const std::function<void()>& action) { act(action); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // EditorHost
    void showMessage(const Message& message) override;
    std::optional<std::string> chooseOpenPath() override;
    std::optional<SaveChoice> chooseSavePath() override;
    UnsavedChanges askToSaveChanges(const std::string& question) override;
    bool confirmSave(const std::string& question, const std::string& detail) override;
    void showDialog(Dialog dialog) override;
    void closeMainWindow() override;

    void buildMenus();
    void buildEditMenu();
    void buildHelpMenu();
    // Undo, redo and revert follow the model; the boxes show what the user changed and what the
    // save would refuse.
    void showEditState();
    // The edit box or list whose value Revert Field puts back: the one with the focus; or the
    // level's cell the user is at in the levels' table.
    std::optional<Control> revertTarget() const;
    std::optional<LevelCell> levelRevertTarget() const;
    // The window that lists every check of the open image, readable and selectable; the Info menu
    // and a click on the status bar show it.
    void showChecks();
    // The controls, group by group (main_window_controls.cpp).
    void buildControls();
    QWidget* buildInfoGroup(QWidget* form);
    QWidget* buildVoltageGroup(QWidget* form);
    QWidget* buildClockGroup(QWidget* form);
    QLayout* buildTimingColumn(QWidget* form);
    // An edit box, voltage list or check box of the model's, in its place among the controls.
    QLineEdit* addEdit(QWidget* parent, Control box, int digits, const QString& hint);
    QComboBox* addVoltageList(QWidget* parent, Control list);
    QCheckBox* addCheckBox(QWidget* parent, Control box);
    void buildStatusBar();
    void setTabOrderFollowingTheLayout();
    // The edit box or voltage list a widget is, if any.
    std::optional<Control> controlOf(const QObject* widget) const;
    // The status bar shows where the widget's value lives, or the image check when it has none;
    // first why the save would refuse it. For the levels' table, the value of its current cell.
    void showPlaceOf(const QObject* widget);
    std::string placeTextOf(const QObject* widget) const;
    bool refusedAt(const QObject* widget) const;
    // The user's text for a level's value, as typed or chosen in the levels' table.
    void editLevel(const LevelCell& cell, const std::string& text);
    // The field given the focus or under the mouse shows its place there.
    void showPlaceOnFocusOrHover(const QObject* watched, QEvent* event);
    // The size and place of the last run, or the design's, inside the screen it opens on.
    void restoreSizeAndPlace();
    // Brings every widget in line with the model.
    void syncFromModel();
    // The boxes, lists and check boxes; the captions of the image and the file.
    void showFormValues(const FormState& f);
    void showCaptions(const FormState& f);
    // The status bar's image check and structure check.
    void showCheckLines();
    void showLevels(const EditorModel::LevelsPreview& preview);
    // Runs a user's action, then shows the window as the action left it, and only then the
    // message boxes the action gave, in their order.
    template <typename Action> void act(Action action) {
        ++m_acting;
        action();
        --m_acting;
        syncFromModel();
        if (m_acting == 0) showPendingMessages();
    }
    void showPendingMessages();

    QLineEdit* editFor(Control box) const { return m_edits[controlInfo(box).index]; }

    DesktopServices& m_services;
    EditorModel m_model;
    std::array<SecondaryDialog*, 4> m_forms{};
    QSettings* m_settings = nullptr;
    HelpWindow* m_helpWindow = nullptr;
    QMenu* m_recentMenu = nullptr;
    std::unique_ptr<RecentFiles> m_recent;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QAction* m_revertField = nullptr;
    QAction* m_revertAll = nullptr;
    std::string m_rememberedDocument; // the document the recent files last took
    ChecksWindow* m_checksWindow = nullptr;
    std::array<QLineEdit*, 12> m_edits{};
    std::array<QComboBox*, 3> m_combos{};
    std::array<QCheckBox*, 2> m_checks{};
    ElidingLabel* m_Pfad = nullptr;
    QLabel* m_devicename = nullptr;
    QLabel* m_Biosversion = nullptr;
    QLabel* m_manufactor = nullptr;
    QLabel* m_levels = nullptr; // the levels' heading: as the card runs them, or would after a save
    LevelsEditor* m_levelsTable = nullptr;    // the performance levels, each value editable
    std::array<QLabel*, 3> m_rates{};         // StaticText20 .. StaticText22
    QLabel* m_checkLine = nullptr;            // the image check, in the status bar
    ElidingLabel* m_structureLine = nullptr;  // the check against the BIOS structure, beside it
    const QObject* m_placeShownFor = nullptr; // the field the user gave the focus
    std::vector<Message> m_pendingMessages;
    int m_acting = 0;
    StructureAndComparisonMenu* m_structureAndComparison = nullptr; // a child of the window
};

} // namespace zfx::gui
