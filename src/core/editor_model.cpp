// SPDX-License-Identifier: MIT
#include "editor_model.h"

#include "file_io.h"
#include "number_text.h"

#include <algorithm>
#include <cctype>

namespace zfx {

EditorModel::EditorModel(EditorHost& host) : m_host(host) {
    // FormCreate: the version goes into the caption, both warnings are still to be shown, and
    // every edit box starts disabled (the throttle boxes too).
    m_versionText = kVersionText;
    m_form.caption = "Zorvane FX" + m_versionText;
    m_card.generalModeWarningShown = false;
    m_card.timingWarningShown = false;
    for (int n = 1; n <= 12; ++n)
        editBox(n) = EditBox{n <= 6 ? "--" : "-", false};
}

void EditorModel::showMessage(std::string text, std::string detail) {
    m_host.showMessage(Message{std::move(text), std::move(detail), false});
}

// --- control operations ---

void EditorModel::setEditText(int edit, const std::string& text) {
    EditBox& box = editBox(edit);
    if (box.text == text) return; // no change, no change handler
    box.text = text;
    if (edit >= 4 && edit <= 6) memoryRateChange(edit);
}

void EditorModel::setEditEnabled(int edit, bool enabled) {
    editBox(edit).enabled = enabled;
}

void EditorModel::setTicked(int box, bool ticked) {
    CheckBox& check = m_form.checks.at(static_cast<std::size_t>(box - 1));
    if (check.ticked == ticked) return;
    check.ticked = ticked;
    if (box == 1)
        CheckBox1Click();
    else
        CheckBox2Click();
}

void EditorModel::setChecked(int box, bool ticked) {
    if (box < 1 || box > 2 || !m_form.check(box).enabled) return;
    setTicked(box, ticked);
}

void EditorModel::selectEntry(int combo, int position) {
    if (combo < 1 || combo > 3) return;
    ComboBox& list = comboBox(combo);
    if (!list.enabled || position < -1 || position >= static_cast<int>(list.entries.size())) return;
    list.selected = position;
}

void EditorModel::typeText(int edit, const std::string& text) {
    if (edit < 1 || edit > 12 || !m_form.edit(edit).enabled) return;
    setEditText(edit, text);
}

void EditorModel::keyReleased(int edit) {
    if (edit >= 4 && edit <= 6 && m_form.edit(edit).enabled) memoryRateKeyUp(edit);
}

// --- load and identification ---

void EditorModel::OpenBIOS1Click() {
    m_card.pcirOffset = 0;
    if (const auto path = m_host.chooseOpenPath()) openBios(*path);
}

bool EditorModel::openBios(const std::string& path) {
    m_card.pcirOffset = 0;
    ReadResult read = readImageFile(path);
    if (!read.ok()) {
        // A file that cannot be read replaces nothing: the previous image and window stay.
        showMessage(kCantOpenFile, read.error);
        return false;
    }
    m_card.image = BiosImage(std::move(read.bytes));
    m_card.imageSize = m_card.image.size();
    getinfos(path);
    getvoltages();
    getclockrates();
    return true;
}

void EditorModel::getinfos(const std::string& path) {
    CardState& c = m_card;
    m_form.Pfad = path;
    c.pcirOffset = c.image.findPattern("50434952DE10");
    c.pciDataOffset = c.pcirOffset;
    c.deviceText = c.image.hexOfRange(c.pcirOffset + 6, 1);
    const std::string name = deviceNameForDevice(c.deviceText);

    for (ComboBox& list : m_form.combos) {
        list.entries.clear();
        list.selected = -1;
    }
    for (int n = 1; n <= 6; ++n) {
        setEditText(n, "--");
        setEditEnabled(n, false);
    }
    // Unticking runs the boxes' click handlers while the previous card's flags are still set:
    // general mode re-reads the voltages, timing editing resets Edit7..Edit12 to "-".
    m_form.checks[0].enabled = false;
    setTicked(1, false);
    m_form.checks[1].enabled = false;
    setTicked(2, false);
    c.generalModeActive = false;
    c.timingEditActive = false;

    m_form.devicename = name;
    if (name == kUnsupportedDevice) showMessage("Device unsupported : " + c.deviceText);

    c.flags = flagsForDevice(c.deviceText);
    const CardFlags& f = c.flags;
    m_form.checks[0].enabled = f.is5900 || f.is5700 || f.is5800 || f.is5600Ultra || f.isQuadroFX1000_2000;
    m_form.checks[1].enabled = f.is5900 || f.is5700 || f.is5700LE || f.is5600 || f.is5200 || f.is5800 ||
                               f.is5500 || f.isQuadroFX1000_2000 || f.isQuadroFX3000;

    // The version follows the word "Version" and the one byte after it; shown up to a NUL.
    const std::int32_t version = c.image.findPattern("56657273696F6E");
    std::string text = c.image.charsOfRange(version + 8, 14);
    text = text.substr(0, text.find('\0'));
    m_form.Biosversion = latin1ToUtf8(text);

    c.vendorName = vendorNameForVendor(c.image.hexOfRange(84, 1));
    m_form.manufactor = c.vendorName;
}

// --- save ---

std::string EditorModel::savePathFor(const std::string& chosenPath, int filterEntry) {
    std::string lower = chosenPath;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    if (lower.find(".rom") != std::string::npos || lower.find(".bin") != std::string::npos) return chosenPath;
    return chosenPath + (filterEntry == kBinFilterEntry ? ".bin" : ".rom");
}

void EditorModel::SaveBIOS1Click() {
    if (const auto choice = m_host.chooseSavePath()) saveBios(choice->path, choice->filterEntry);
}

bool EditorModel::saveBios(const std::string& chosenPath, int filterEntry) {
    const std::string path = savePathFor(chosenPath, filterEntry);
    std::optional<std::string> failure;
    if (m_card.image.empty()) {
        failure = "There is no image to save: open a BIOS file first.";
    } else {
        // Every box is converted and checked before the first byte changes, so a refused save
        // leaves the image as it was.
        std::vector<ByteWrite> writes;
        voltageWriteBack(writes);
        if (m_card.timingEditActive) failure = timingWriteBack(writes);
        if (!failure) failure = clockWriteBack(writes);
        if (!failure) {
            for (const ByteWrite& w : writes)
                m_card.image.set(w.index, w.value);
            const std::int32_t last = m_card.image.size() - 1;
            m_card.image.set(last, static_cast<std::uint8_t>(m_card.image.imageChecksum() & 0xFF));
            failure = writeFileAtomically(path, m_card.image.bytes());
        }
    }
    if (failure)
        showMessage(kCantOpenFile, *failure);
    else
        showMessage(kFileSaved);
    m_form.Pfad = path;
    return !failure;
}

} // namespace zfx
