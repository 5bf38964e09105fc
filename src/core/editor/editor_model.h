// SPDX-License-Identifier: MIT
#pragma once

#include "analysis/image_analysis.h"
#include "editor/edit_history.h"
#include "editor/editor_host.h"
#include "editor/pending_save.h"
#include "editor/window_controls.h"
#include "image/card_identity.h"
#include "io/file_io.h"
#include "io/outcome.h"
#include "save/save_plan.h"
#include "save/save_to_file.h"
#include "tables/clock_table.h"
#include "tables/memory_timings.h"
#include "tables/voltage_table.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zfx {

// The project's version (CMake's project version), as the caption and About show it.
inline constexpr const char* kVersionText = " " ZFX_VERSION;

struct EditBox {
    std::string text;
    bool enabled = false;
};

struct ComboBox {
    std::vector<std::string> entries;
    int selected = -1; // -1: nothing selected
    bool enabled = false;
};

struct CheckBox {
    bool ticked = false;
    bool enabled = false;
};

// The main window's controls as the logic sees them.
struct FormState {
    std::array<EditBox, 12> edits;  // Edit1 .. Edit12
    std::array<ComboBox, 3> combos; // ComboBox1 (2D), ComboBox2 (throttle), ComboBox3 (3D)
    std::array<CheckBox, 2> checks; // CheckBox1 "Generalmode", CheckBox2 "Edit memory timings"
    // The texts of the info area and the memory-rate labels (the window's Pfad, devicename,
    // Biosversion, manufactor and StaticText20 .. StaticText22).
    std::string filePath = "--";
    std::string deviceName = "--";
    std::string biosVersion = "--";
    std::string vendorName = "--";
    std::string memoryRate3D = "--";       // the 3D memory clock's effective rate
    std::string memoryRateThrottle = "--"; // the throttle memory clock's
    std::string memoryRate2D = "--";       // the 2D memory clock's
    std::string caption;

    // The state of an edit box, a list or a check box (the control must be of that kind).
    const EditBox& edit(Control c) const { return edits.at(indexOf(c, ControlKind::EditBox)); }
    const ComboBox& combo(Control c) const { return combos.at(indexOf(c, ControlKind::List)); }
    const CheckBox& check(Control c) const { return checks.at(indexOf(c, ControlKind::CheckBox)); }
    EditBox& edit(Control c) { return edits.at(indexOf(c, ControlKind::EditBox)); }
    ComboBox& combo(Control c) { return combos.at(indexOf(c, ControlKind::List)); }
    CheckBox& check(Control c) { return checks.at(indexOf(c, ControlKind::CheckBox)); }
    // The effective-rate label beside a memory-clock box.
    const std::string& memoryRate(Control memoryBox) const;

  private:
    static std::size_t indexOf(Control c, ControlKind kind) {
        const ControlInfo& info = controlInfo(c);
        return info.kind == kind ? info.index : static_cast<std::size_t>(-1); // at() refuses the wrong kind
    }
};

// The offsets the CLI's JSON reports, kept as the readers leave them.
struct ReportedOffsets {
    std::int32_t pciData = 0;
    std::int32_t voltageTable = 0;
    std::int32_t clockTable = 0;
    std::int32_t timingA = 0;
};

// What the window read from the open image and shows, one image at a time. The image itself and
// everything known about it is the model's analysis.
struct CardState {
    CardIdentity identity;
    VoltageTableRead voltages; // the last voltage read; its table is what the save writes
    std::vector<VoltageEntry>
        offered; // what the voltage lists offer by position: the table's or general mode's
    ClockTableRead clocks;
    std::optional<MemoryTimingsRead> timings; // read when "Edit memory timings" is ticked
    ReportedOffsets offsets;
    bool generalModeActive = false;
    bool generalModeWarningShown = false;
    bool timingEditActive = false;
    bool timingWarningShown = false;
};

// The main window's behaviour without a toolkit: control states, handlers and the order in which
// they run. The card data come from the table modules; front ends pass the user's actions in and
// answer the host's requests.
class EditorModel {
  public:
    explicit EditorModel(EditorHost& host, ImageFiles& files = diskFiles());

    const FormState& form() const { return m_form; }
    const CardState& card() const { return m_card; }
    const std::string& versionText() const { return m_versionText; }

    // The separator of the voltage texts ("." unless the front end sets the user's locale's).
    void setDecimalSeparator(std::string separator) { m_decimalSeparator = std::move(separator); }

    // The open image and everything known about it, worked out once at the open and after every
    // successful save.
    const ImageAnalysis& analysis() const { return m_analysis; }
    // The check of the open image as a PCI option ROM.
    const ImageCheck& imageCheck() const { return m_analysis.check; }
    // The check of the tables the editor found against the image's own BMP or BIT structure.
    const StructureCheck& structureCheck() const { return m_analysis.structureCheck; }
    // Every check of the open image in full, for the window that lists them: the image check, a
    // fault of the dump itself, and the structure check. Empty before an open.
    std::string checksReport() const;
    // What the last successful save changed; absent before one, or after a failed one.
    const std::optional<SaveReport>& lastSave() const { return m_lastSave; }
    // Whether a save over the open file first keeps its original beside it (on unless a script
    // turns it off).
    void setKeepBackups(bool keep) { m_keepBackups = keep; }
    // Where the value of an edit box or list lives, for the status bar: "2D memory clock: 8 fields,
    // 7A35h to 7A51h"; empty for other controls or before an open.
    std::string placeOf(Control control) const;

    // What a save of the window's values would do now, planned once when the edits last changed.
    const PendingSave& pendingSave() const { return m_pending; }
    // How many saves the model planned since it was made: one per change of the edits.
    std::size_t savesPlanned() const { return m_savesPlanned; }
    // The performance levels as the card would run them if the window's values were saved now.
    using LevelsPreview = zfx::LevelsPreview;
    const LevelsPreview& levelsPreview() const { return m_pending.levels; }
    // The save the window's values would make now, as Save BIOS writes it: its writes are the bytes
    // the unsaved edits change.
    const SavePlanResult& plannedSave() const { return m_pending.planned; }

    // Whether a control differs from what the last open or successful save left; a timing box only
    // when the user changed it from what the file holds (ticking "Edit memory timings" alone reads
    // them and changes nothing).
    bool modified() const;
    // The file of the last open or successful save; empty before one.
    const std::string& documentPath() const { return m_documentPath; }
    // The file the last Save BIOS went to (the chosen name with its extension rule), saved or not.
    const std::string& lastSaveTarget() const { return m_lastSaveTarget; }

    // --- what the file holds, undo and redo ---
    // Whether the user changed an edit box or a voltage list from what the file holds (the
    // save would write it).
    bool changedFromFile(Control control) const;
    // That value in words, with its unit: "325 MHz", "1.4V", "5"; empty where the file's value is
    // not read (a timing before "Edit memory timings" is ticked).
    std::string fileValueText(Control control) const;
    // Why the save would refuse an edit box's text as it stands, as the save says it; empty when it
    // would take it (or leave it alone).
    std::string refusalOf(Control control) const;
    // What a control holds, in words for its tool tip: the field and its unit, the range the save
    // takes, and the value in the file.
    std::string controlHint(Control control) const;
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    // Undoes or redoes one change of a box, a list or a check box; typing into a box is one change.
    void undo();
    void redo();
    // Puts back what the file holds into one box or list, or into every one (and the check boxes
    // as they were at the open or the last save). Each is one change that undo takes back.
    void revertControl(Control control);
    void revertAll();

    // The name a save proposes: NAME-mod.rom beside the open file, or NAME-mod-2.rom and on while
    // taken says a name is in use; empty before an open.
    std::string proposedSavePath(const std::function<bool(const std::string&)>& taken) const;
    // The window's title: the caption, the file that is open, and "*" while it is modified.
    std::string windowTitle() const;

    // --- the performance levels ---
    // The levels a user may change, where the image's performance table decodes soundly.
    const std::optional<EditableLevels>& levels() const { return m_analysis.levels; }
    // The mode box or list that shows a level's value as well: the two are one value.
    std::optional<Control> linkedControl(const LevelCell& cell) const;
    // What a level's cell shows: the user's text, or the file's value ("275.49", "1.44", "40").
    std::string levelText(const LevelCell& cell) const;
    bool levelChangedFromFile(const LevelCell& cell) const;
    // Whether a memory copy holds another clock than its level's memory clock shows, as the values
    // stand: a copy of another memory configuration, or one the user gave on its own.
    bool levelCopyDiffers(const LevelCell& copy) const;
    // The file's value with its unit, "325 MHz"; empty where the image lacks the value.
    std::string levelFileText(const LevelCell& cell) const;
    // Why the save would refuse the cell's value as it stands; empty when it would take it.
    std::string levelRefusal(const LevelCell& cell) const;
    // The cell's tool tip: the value, the range the save takes, and the value in the file.
    std::string levelHint(const LevelCell& cell) const;
    // Where the cell's bytes lie, for the status bar: "level 80h memory clock: 8 fields, 2079h to 2095h".
    std::string levelPlaceOf(const LevelCell& cell) const;
    // The user sets a level's value (one change that undo takes back; typing into one cell merges).
    // A value a mode box or list shows goes into that box or list. Returns why nothing was set:
    // the image lacks the value, or a voltage the table does not have.
    std::optional<std::string> setLevelText(const LevelCell& cell, const std::string& text);
    // Puts back what the file holds into one cell.
    void revertLevel(const LevelCell& cell);

    // --- the user's actions ---
    // Open, Exit, closing the window and a drop first ask what to do with unsaved edits; Cancel,
    // or a Save that fails, ends the action there.
    void OpenBIOS1Click(); // File > Open BIOS...
    // Opens a dropped file (or one named on the command line) after asking.
    void openAfterAsking(const std::string& path);
    // The same without the dialog: reads the file, then loads its bytes.
    Outcome openBios(const std::string& path);
    // Loads an image's bytes as if read from path; a load of bytes always succeeds.
    void loadImage(std::vector<std::uint8_t> bytes, const std::string& path);
    // File > Save BIOS...; nothing when the dialog is cancelled.
    std::optional<Outcome> SaveBIOS1Click();
    Outcome saveBios(const std::string& chosenPath, int filterEntry); // without the dialog
    void Exit1Click();
    // The window is about to close: whether it may (asks unless Exit has asked already).
    bool closeRequested();
    void HowdoI1Click() { m_host.showDialog(Dialog::Form1); }
    void About1Click() { m_host.showDialog(Dialog::Form2); }

    // Ticks or unticks a check box; a change runs the box's click handler.
    void setChecked(Control box, bool ticked);
    // Selects a list position (-1 for none) of a voltage list.
    void selectEntry(Control list, int position);
    // The user changed an edit box's text (typing or pasting); runs its change handler. The
    // front ends pass only texts that isDigitsOnly accepts.
    void typeText(Control edit, const std::string& text);
    // A key was released in an edit box; runs its key-release handler.
    void keyReleased(Control edit);
    // Whether an edit box takes a typed or pasted text: digits only.
    static bool acceptsTypedText(std::string_view text) { return isDigitsOnly(text); }

    // The file-name rule of the save: ".rom" or ".bin" anywhere in the path, in any case, keeps
    // it; otherwise the chosen filter entry's extension is appended.
    static std::string savePathFor(const std::string& chosenPath, int filterEntry);

  private:
    // What undo takes back: the controls, what the program put in them, and what the window
    // read for them.
    struct WindowState {
        decltype(FormState::edits) edits;
        decltype(FormState::combos) combos;
        decltype(FormState::checks) checks;
        std::array<std::string, 3> memoryRates;
        CardState card;
        std::array<std::string, 12> programTexts;
        std::array<int, 3> programSelections{};
        std::map<LevelCell, std::string> levelTexts;
    };
    // What a step of the history belongs to: a control, or a cell of the levels.
    using EditKey = std::variant<Control, LevelCell>;
    WindowState windowState() const;
    void restore(WindowState state);
    // Runs a user's change of a control as one step of the history (typing into a box merges).
    template <typename Change> void asUserChange(EditKey key, bool typing, Change change);
    // After a save the file holds what the controls show: every kept state follows.
    void moveFileValues(const std::array<std::string, 12>& before,
                        const std::array<int, 3>& selectionsBefore);
    void revertOne(Control control);
    // Levels: the text a cell holds without a link, and how a change of the level's memory clock
    // (by its cell or its box) takes back the copies given on their own.
    std::string ownLevelText(const LevelCell& cell) const;
    // What a save of the edits as they stand would leave in a level's value.
    std::optional<std::uint32_t> plannedLevelValue(const LevelCell& cell) const;
    void clearCopiesOf(std::uint8_t level);
    void clearCopiesShownBy(Control box);
    void setOwnLevelText(const LevelCell& cell, const std::string& text);
    std::optional<std::string> setLevelVoltage(const LevelCell& cell, std::optional<Control> linked,
                                               const std::string& text);

    // The controls' values that the modified flag compares.
    struct ControlValues {
        std::array<std::string, 12> texts;
        std::array<int, 3> selected{};
        std::array<bool, 2> ticked{};
        std::map<LevelCell, std::string> levels;
        bool operator==(const ControlValues&) const = default;
    };
    ControlValues controlValues() const;
    // The values without what the timing tick alone puts in: the timing boxes and the tick.
    static ControlValues valuesASaveKeeps(ControlValues values);
    // Records the controls as saved (after an open or a successful save).
    void markUnmodified(const std::string& path);
    bool mayDiscardChanges();

    void show(const Outcome& outcome);
    void showMessage(std::string text, std::string detail = {});
    void showMessages(const std::vector<std::string>& texts);

    // identification and load
    void getinfos(const std::string& path);
    // Says after an open that the image failed its check, and what to do.
    void warnOfFailedCheck();
    // voltages
    void getvoltages();
    void CheckBox1Click();
    void fillGeneralMode();
    // clocks
    void getclockrates();
    void memoryRateChange(Control edit);
    void memoryRateKeyUp(Control edit);
    void showMemoryRate(Control edit);
    // timings
    void CheckBox2Click();
    void gettimings();

    // What the user changed, for the save: the texts of the boxes that no longer hold what the
    // program put there, the lists whose selection is no longer the program's.
    SaveEdits userEdits() const;
    // The tables the window read and shows.
    CardData shownTables() const;
    // Records the lists' selections as the program's own.
    void rememberSelections();
    // Plans the save of the window's values again: the edits changed.
    void updatePendingSave();
    // The whole save after the path is known; saveBios shows what it returns.
    Outcome saveTo(const std::string& path);
    // Asks the host about what speaks against a plan; false when the user said no.
    bool mayCarryOut(const SavePlan& plan);
    // Whether the opened file may be replaced: it still holds what was read (or last saved), or
    // the user agrees to replace what another program put there.
    // holds gets what the file holds now, when it can be read.
    bool mayReplaceDocument(const std::string& path, std::optional<std::vector<std::uint8_t>>& holds);

    // control operations that keep the toolkit's rules; setEditText is the program's own
    // change, replaceText also the user's
    void setEditText(Control edit, const std::string& text);
    void replaceText(Control edit, const std::string& text);
    void setEditEnabled(Control edit, bool enabled);
    void setTicked(Control box, bool ticked);
    void setMemoryRateCaption(Control edit, const std::string& caption);

    EditorHost& m_host;
    ImageFiles& m_files;
    FormState m_form;
    CardState m_card;
    std::string m_versionText;
    ControlValues m_savedValues;
    std::array<std::string, 12> m_programTexts;         // what the program last put in each edit box
    std::array<int, 3> m_programSelections{-1, -1, -1}; // the selection it last made in each list
    ImageAnalysis m_analysis;
    std::string m_contradictionsSaid; // what the question before a save said about this image
    std::optional<SaveReport> m_lastSave;
    PendingSave m_pending;
    std::size_t m_savesPlanned = 0;
    std::string m_lastSaveTarget;
    bool m_keepBackups = true;
    std::string m_documentPath; // the file of the last open or successful save
    bool m_closeConfirmed = false;
    std::string m_decimalSeparator = ".";
    EditHistory<WindowState, EditKey> m_history;
    // The user's texts for the levels' values that no mode box or list shows (and for the memory
    // copies given on their own); a value absent holds what the file holds.
    std::map<LevelCell, std::string> m_levelTexts;
};

} // namespace zfx
