// SPDX-License-Identifier: MIT
#pragma once

#include "bios_image.h"
#include "card_identity.h"
#include "editor_host.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zfx {

inline constexpr const char* kVersionText = " 1.4";
inline constexpr const char* kCantOpenFile = "Cant open File!";
inline constexpr const char* kFileSaved = "File saved.";

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

// The main window's controls as the logic sees them, by their names in the window.
struct FormState {
    std::array<EditBox, 12> edits;  // Edit1 .. Edit12
    std::array<ComboBox, 3> combos; // ComboBox1 (2D), ComboBox2 (throttle), ComboBox3 (3D)
    std::array<CheckBox, 2> checks; // CheckBox1 "Generalmode", CheckBox2 "Edit memory timings"
    std::string Pfad = "--";
    std::string devicename = "--";
    std::string Biosversion = "--";
    std::string manufactor = "--";
    std::string StaticText20 = "--"; // 3D effective memory rate
    std::string StaticText21 = "--"; // throttle effective memory rate
    std::string StaticText22 = "--"; // 2D effective memory rate
    std::string caption;

    const EditBox& edit(int n) const { return edits.at(static_cast<std::size_t>(n - 1)); }
    const ComboBox& combo(int n) const { return combos.at(static_cast<std::size_t>(n - 1)); }
    const CheckBox& check(int n) const { return checks.at(static_cast<std::size_t>(n - 1)); }
};

// All card data the readers leave behind, one image at a time.
struct CardState {
    BiosImage image;
    std::int32_t imageSize = 0;
    std::int32_t pcirOffset = 0;    // PCI data structure, then the readers' scratch position
    std::int32_t pciDataOffset = 0; // the PCI data structure as the identification found it
    std::string deviceText;
    CardFlags flags;
    std::string vendorName;

    std::int32_t voltageTableOffset = 0;
    std::int32_t maxVoltageCode = 0;
    bool threeVoltageEntries = false;
    bool voltageTableFound = false;              // the last reader run found a table in this image
    std::array<std::int32_t, 16> voltageCodes{}; // [p] code, [p + 8] voltage byte of list position p
    bool generalModeActive = false;
    bool generalModeWarningShown = false;

    std::int32_t clockTableOffset = 0;
    bool clockTableStride56 = false;
    bool clockTableFound = false; // the last reader run found a table in this image

    bool timingEditActive = false;
    bool timingWarningShown = false;
    bool timingAAvailable = false;
    std::int32_t timingAOffset = 0;
    bool timingSetsAvailable = false; // the B..F sets lie inside this image's clock table
};

// One byte the save will store, and the field it comes from.
struct ByteWrite {
    std::int32_t index;
    std::uint8_t value;
};

// The main window's behaviour without a toolkit: control states, handlers and the BIOS logic.
// Front ends pass the user's actions in and answer the host's requests.
class EditorModel {
  public:
    explicit EditorModel(EditorHost& host);

    const FormState& form() const { return m_form; }
    const CardState& card() const { return m_card; }
    const std::string& versionText() const { return m_versionText; }

    // The separator of the voltage texts ("." unless the front end sets the user's locale's).
    void setDecimalSeparator(std::string separator) { m_decimalSeparator = std::move(separator); }

    // --- the user's actions ---
    void OpenBIOS1Click();                  // File > Open BIOS...
    bool openBios(const std::string& path); // the same without the dialog; false when unreadable
    void SaveBIOS1Click();                  // File > Save BIOS...
    bool saveBios(const std::string& chosenPath, int filterEntry); // without the dialog; true when saved
    void Exit1Click() { m_host.closeMainWindow(); }
    void HowdoI1Click() { m_host.showDialog(Dialog::Form1); }
    void About1Click() { m_host.showDialog(Dialog::Form2); }

    // Ticks or unticks CheckBox1/CheckBox2; a change runs the box's click handler.
    void setChecked(int box, bool ticked);
    // Selects a list position (-1 for none) of ComboBox1..3.
    void selectEntry(int combo, int position);
    // The user changed an edit box's text (typing or pasting); runs its change handler.
    void typeText(int edit, const std::string& text);
    // A key was released in an edit box; runs its key-release handler.
    void keyReleased(int edit);

    // The file-name rule of the save: ".rom" or ".bin" anywhere in the path, in any case, keeps
    // it; otherwise the chosen filter entry's extension is appended.
    static std::string savePathFor(const std::string& chosenPath, int filterEntry);

  private:
    // identification and load
    void getinfos(const std::string& path);
    void showMessage(std::string text, std::string detail = {});

    // voltages
    void getvoltages();
    void readVoltages5600Group();
    void readVoltages5800Group();
    void CheckBox1Click();
    void fillGeneralMode();
    void voltageWriteBack(std::vector<ByteWrite>& writes) const;
    std::string voltageEntryText(int tenMillivolts) const;

    // clocks
    void getclockrates();
    void memoryRateChange(int edit);
    void memoryRateKeyUp(int edit);
    void showMemoryRate(int edit);
    [[nodiscard]] std::optional<std::string> clockWriteBack(std::vector<ByteWrite>& writes) const;

    // timings
    void CheckBox2Click();
    void gettimings();
    [[nodiscard]] std::optional<std::string> timingWriteBack(std::vector<ByteWrite>& writes) const;

    // control operations that keep the toolkit's rules
    void setEditText(int edit, const std::string& text);
    void setEditEnabled(int edit, bool enabled);
    void setTicked(int box, bool ticked);
    void setMemoryRateCaption(int edit, const std::string& caption);
    EditBox& editBox(int n) { return m_form.edits.at(static_cast<std::size_t>(n - 1)); }
    ComboBox& comboBox(int n) { return m_form.combos.at(static_cast<std::size_t>(n - 1)); }

    EditorHost& m_host;
    FormState m_form;
    CardState m_card;
    std::string m_versionText;
    std::string m_decimalSeparator = ".";
};

} // namespace zfx
