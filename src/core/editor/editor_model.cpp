// SPDX-License-Identifier: MIT
#include "editor/editor_model.h"

#include "save/risky_values.h"
#include "tables/card_layout.h"
#include "text/number_text.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace zfx {

const std::string& FormState::memoryRate(Control memoryBox) const {
    if (memoryBox == Control::Mem3D) return memoryRate3D;
    if (memoryBox == Control::MemThrottle) return memoryRateThrottle;
    return memoryRate2D;
}

EditorModel::EditorModel(EditorHost& host, ImageFiles& files) : m_host(host), m_files(files) {
    // FormCreate: the version goes into the caption, both warnings are still to be shown, and
    // every edit box starts disabled (the throttle boxes too).
    m_versionText = kVersionText;
    m_form.caption = "Zorvane FX" + m_versionText;
    m_card.generalModeWarningShown = false;
    m_card.timingWarningShown = false;
    for (const Control c : kClockBoxes)
        m_form.edit(c) = EditBox{"--", false};
    for (const Control c : kTimingBoxes)
        m_form.edit(c) = EditBox{"-", false};
    for (std::size_t i = 0; i < m_programTexts.size(); ++i)
        m_programTexts[i] = m_form.edits[i].text;
}

void EditorModel::rememberSelections() {
    for (std::size_t i = 0; i < m_programSelections.size(); ++i)
        m_programSelections[i] = m_form.combos[i].selected;
}

void EditorModel::show(const Outcome& outcome) {
    m_host.showMessage(Message{outcome.text, outcome.detail, false});
}

void EditorModel::showMessage(std::string text, std::string detail) {
    m_host.showMessage(Message{std::move(text), std::move(detail), false});
}

void EditorModel::showMessages(const std::vector<std::string>& texts) {
    for (const std::string& text : texts)
        showMessage(text);
}

// --- control operations ---

void EditorModel::setEditText(Control edit, const std::string& text) {
    m_programTexts.at(controlInfo(edit).index) = text;
    replaceText(edit, text);
}

void EditorModel::replaceText(Control edit, const std::string& text) {
    EditBox& box = m_form.edit(edit);
    if (box.text == text) return; // no change, no change handler
    box.text = text;
    if (std::find(kMemoryBoxes.begin(), kMemoryBoxes.end(), edit) != kMemoryBoxes.end())
        memoryRateChange(edit);
}

void EditorModel::setEditEnabled(Control edit, bool enabled) {
    m_form.edit(edit).enabled = enabled;
}

void EditorModel::setTicked(Control box, bool ticked) {
    CheckBox& check = m_form.check(box);
    if (check.ticked == ticked) return;
    check.ticked = ticked;
    if (box == Control::GeneralMode)
        CheckBox1Click();
    else
        CheckBox2Click();
}

void EditorModel::setChecked(Control box, bool ticked) {
    if (controlInfo(box).kind != ControlKind::CheckBox || !m_form.check(box).enabled) return;
    asUserChange(box, false, [&] { setTicked(box, ticked); });
}

void EditorModel::selectEntry(Control list, int position) {
    if (controlInfo(list).kind != ControlKind::List) return;
    ComboBox& combo = m_form.combo(list);
    if (!combo.enabled || position < -1 || position >= static_cast<int>(combo.entries.size())) return;
    asUserChange(list, false, [&] { combo.selected = position; });
}

void EditorModel::typeText(Control edit, const std::string& text) {
    if (controlInfo(edit).kind != ControlKind::EditBox || !m_form.edit(edit).enabled) return;
    asUserChange(edit, true, [&] {
        replaceText(edit, text);
        clearCopiesShownBy(edit);
    });
}

// --- undo and redo ---

EditorModel::WindowState EditorModel::windowState() const {
    return {m_form.edits,
            m_form.combos,
            m_form.checks,
            {m_form.memoryRate3D, m_form.memoryRateThrottle, m_form.memoryRate2D},
            m_card,
            m_programTexts,
            m_programSelections,
            m_levelTexts};
}

void EditorModel::restore(WindowState state) {
    // The warnings stay shown: going back does not ask for them again.
    state.card.generalModeWarningShown = m_card.generalModeWarningShown;
    state.card.timingWarningShown = m_card.timingWarningShown;
    m_form.edits = std::move(state.edits);
    m_form.combos = std::move(state.combos);
    m_form.checks = state.checks;
    m_form.memoryRate3D = std::move(state.memoryRates[0]);
    m_form.memoryRateThrottle = std::move(state.memoryRates[1]);
    m_form.memoryRate2D = std::move(state.memoryRates[2]);
    m_card = std::move(state.card);
    m_programTexts = std::move(state.programTexts);
    m_programSelections = state.programSelections;
    m_levelTexts = std::move(state.levelTexts);
}

template <typename Change> void EditorModel::asUserChange(EditKey key, bool typing, Change change) {
    // A change that changes nothing (the same entry chosen again) leaves no step, and keeps redo.
    WindowState before = windowState();
    const ControlValues values = controlValues();
    change();
    if (controlValues() == values) return;
    m_history.record(std::move(before), key, typing);
    updatePendingSave();
}

void EditorModel::undo() {
    if (auto state = m_history.undo(windowState())) {
        restore(std::move(*state));
        updatePendingSave();
    }
}

void EditorModel::redo() {
    if (auto state = m_history.redo(windowState())) {
        restore(std::move(*state));
        updatePendingSave();
    }
}

void EditorModel::moveFileValues(const std::array<std::string, 12>& before,
                                 const std::array<int, 3>& selectionsBefore) {
    // A kept state that took a box's value from the file now takes the saved value: what it
    // showed against the old file it shows against the new one.
    m_history.forEachState([&](WindowState& state) {
        for (std::size_t i = 0; i < before.size(); ++i)
            if (state.programTexts[i] == before[i]) state.programTexts[i] = m_programTexts[i];
        for (std::size_t i = 0; i < selectionsBefore.size(); ++i)
            if (state.programSelections[i] == selectionsBefore[i])
                state.programSelections[i] = m_programSelections[i];
    });
}

void EditorModel::revertOne(Control control) {
    const ControlInfo& info = controlInfo(control);
    if (info.kind == ControlKind::EditBox && m_form.edit(control).enabled)
        replaceText(control, m_programTexts.at(info.index));
    else if (info.kind == ControlKind::List && m_form.combo(control).enabled)
        m_form.combo(control).selected = m_programSelections.at(info.index);
}

void EditorModel::revertControl(Control control) {
    if (controlInfo(control).kind == ControlKind::CheckBox) return;
    asUserChange(control, false, [&] { revertOne(control); });
}

void EditorModel::revertAll() {
    asUserChange(Control::GeneralMode, false, [&] {
        // The check boxes first: unticking re-reads what the lists and timing boxes show.
        for (const Control box : kCheckBoxes)
            if (m_form.check(box).enabled) setTicked(box, m_savedValues.ticked.at(controlInfo(box).index));
        for (const Control box : kEditBoxes)
            revertOne(box);
        for (const Control list : kVoltageLists)
            revertOne(list);
        m_levelTexts.clear();
    });
}

bool EditorModel::changedFromFile(Control control) const {
    const ControlInfo& info = controlInfo(control);
    if (info.kind == ControlKind::EditBox) return m_form.edit(control).text != m_programTexts.at(info.index);
    if (info.kind == ControlKind::List)
        return m_form.combo(control).selected != m_programSelections.at(info.index);
    return false;
}

std::string EditorModel::fileValueText(Control control) const {
    const ControlInfo& info = controlInfo(control);
    if (info.kind == ControlKind::EditBox) {
        const std::string& text = m_programTexts.at(info.index);
        if (!textToInt(text)) return {};
        const std::string_view unit = fieldInfo(*control.field()).unit;
        return unit.empty() ? text : text + " " + std::string(unit);
    }
    if (info.kind != ControlKind::List || !m_card.voltages.table) return {};
    // What the mode runs in the image: the level's own voltage where it has one.
    const VoltageTable& table = *m_card.voltages.table;
    const int position =
        m_programSelections.at(info.index) >= 0
            ? m_programSelections.at(info.index)
            : levelSelection(table, m_analysis.places, info.index)
                  .value_or(table.modes[info.index] ? table.modes[info.index]->selected : -1);
    if (position < 0 || static_cast<std::size_t>(position) >= table.offered.size()) return {};
    return shortVoltsText(table.offered[static_cast<std::size_t>(position)].voltage);
}

std::string EditorModel::refusalOf(Control control) const {
    if (controlInfo(control).kind != ControlKind::EditBox || !changedFromFile(control)) return {};
    const CardField field = *control.field();
    const FieldTexts texts{{field, m_form.edit(control).text}};
    std::optional<ValueFailure> failure;
    if (fieldInfo(field).group == FieldGroup::Clock)
        failure = writeClocks(m_card.clocks, texts).failure;
    else if (m_card.timingEditActive && m_card.timings && m_card.timings->timings)
        failure = writeMemoryTimings(*m_card.timings->timings, texts).failure;
    return failure ? refusalText(*failure) : std::string();
}

void EditorModel::keyReleased(Control edit) {
    const bool memoryBox = std::find(kMemoryBoxes.begin(), kMemoryBoxes.end(), edit) != kMemoryBoxes.end();
    if (memoryBox && m_form.edit(edit).enabled) memoryRateKeyUp(edit);
}

// --- unsaved edits ---

EditorModel::ControlValues EditorModel::controlValues() const {
    ControlValues values;
    for (std::size_t i = 0; i < values.texts.size(); ++i)
        values.texts[i] = m_form.edits[i].text;
    for (std::size_t i = 0; i < values.selected.size(); ++i)
        values.selected[i] = m_form.combos[i].selected;
    for (std::size_t i = 0; i < values.ticked.size(); ++i)
        values.ticked[i] = m_form.checks[i].ticked;
    values.levels = m_levelTexts;
    return values;
}

void EditorModel::markUnmodified(const std::string& path) {
    m_savedValues = controlValues();
    m_documentPath = path;
}

EditorModel::ControlValues EditorModel::valuesASaveKeeps(ControlValues values) {
    // Ticking "Edit memory timings" only reads the timings into their boxes.
    for (const Control box : kTimingBoxes)
        values.texts.at(controlInfo(box).index).clear();
    values.ticked.at(controlInfo(Control::TimingEdit).index) = false;
    return values;
}

bool EditorModel::modified() const {
    if (m_documentPath.empty()) return false;
    const bool timingTyped = std::any_of(kTimingBoxes.begin(), kTimingBoxes.end(),
                                         [this](Control box) { return changedFromFile(box); });
    return timingTyped || valuesASaveKeeps(controlValues()) != valuesASaveKeeps(m_savedValues);
}

std::string EditorModel::windowTitle() const {
    if (m_documentPath.empty()) return m_form.caption;
    return m_form.caption + " - " + std::filesystem::path(m_documentPath).filename().string() +
           (modified() ? " *" : "");
}

bool EditorModel::mayDiscardChanges() {
    if (!modified()) return true;
    const std::string name = std::filesystem::path(m_documentPath).filename().string();
    switch (m_host.askToSaveChanges("Save the changes to " + name + "?")) {
    case UnsavedChanges::Save: {
        const std::optional<Outcome> saved = SaveBIOS1Click();
        return saved && saved->ok();
    }
    case UnsavedChanges::Discard:
        return true;
    case UnsavedChanges::Cancel:
        break;
    }
    return false;
}

void EditorModel::Exit1Click() {
    if (!mayDiscardChanges()) return;
    m_closeConfirmed = true;
    m_host.closeMainWindow();
}

bool EditorModel::closeRequested() {
    if (m_closeConfirmed) return true;
    m_closeConfirmed = mayDiscardChanges();
    return m_closeConfirmed;
}

// --- load and identification ---

void EditorModel::OpenBIOS1Click() {
    if (!mayDiscardChanges()) return;
    if (const auto path = m_host.chooseOpenPath()) (void)openBios(*path); // a failure is shown already
}

void EditorModel::openAfterAsking(const std::string& path) {
    if (mayDiscardChanges()) (void)openBios(path);
}

Outcome EditorModel::openBios(const std::string& path) {
    ReadResult read = m_files.read(path);
    if (!read.ok()) {
        // A file that cannot be read replaces nothing: the previous image and window stay.
        Outcome failed{OutcomeCause::UnreadableFile, kCantOpenFile, read.error};
        show(failed);
        return failed;
    }
    loadImage(std::move(read.bytes), path);
    return {};
}

void EditorModel::loadImage(std::vector<std::uint8_t> bytes, const std::string& path) {
    m_analysis = analyseImage(BiosImage(std::move(bytes)));
    m_levelTexts.clear();
    getinfos(path);
    // What to do with a damaged dump comes before what its tables lack.
    warnOfFailedCheck();
    getvoltages();
    getclockrates();
    m_contradictionsSaid.clear();
    m_lastSave.reset();
    m_history.clear(); // undo never reaches into another image
    markUnmodified(path);
    updatePendingSave();
}

void EditorModel::warnOfFailedCheck() {
    const ImageCheck& check = m_analysis.check;
    if (check.passed()) return;
    showMessage(
        "This file failed the image check: " + check.summary() + ".",
        "Do not flash it as it is. Read the BIOS from the card again with its flash tool and make sure "
        "it is this card's; Info > Checks lists every check.");
}

std::string EditorModel::checksReport() const {
    if (m_analysis.image.empty()) return {};
    std::string text = m_analysis.check.line() + "\n" + m_analysis.check.details();
    if (m_analysis.dumpDamage) text += "\n\n" + *m_analysis.dumpDamage;
    const StructureCheck& structure = m_analysis.structureCheck;
    return text + "\n\n" + structure.line() + "\n" + structure.details();
}

void EditorModel::getinfos(const std::string& path) {
    CardState& c = m_card;
    m_form.filePath = path;
    // The previous card's flags stay until the boxes below are unticked.
    CardIdentity identity = m_analysis.data.identity;
    c.offsets.pciData = identity.pciDataOffset;
    c.identity.deviceText = identity.deviceText;

    for (ComboBox& list : m_form.combos) {
        list.entries.clear();
        list.selected = -1;
    }
    rememberSelections();
    for (const Control box : kClockBoxes) {
        setEditText(box, "--");
        setEditEnabled(box, false);
    }
    // Unticking runs the boxes' click handlers while the previous card's flags are still set:
    // general mode re-reads the voltages, timing editing resets the timing boxes to "-".
    m_form.check(Control::GeneralMode).enabled = false;
    setTicked(Control::GeneralMode, false);
    m_form.check(Control::TimingEdit).enabled = false;
    setTicked(Control::TimingEdit, false);
    c.generalModeActive = false;
    c.timingEditActive = false;

    m_form.deviceName = identity.deviceName;
    if (identity.deviceName == kUnsupportedDevice) showMessage("Device unsupported : " + identity.deviceText);

    c.identity = std::move(identity);
    const CardFlags& f = c.identity.flags;
    m_form.check(Control::GeneralMode).enabled =
        f.is5900 || f.is5700 || f.is5800 || f.is5600Ultra || f.isQuadroFX1000_2000;
    m_form.check(Control::TimingEdit).enabled = f.is5900 || f.is5700 || f.is5700LE || f.is5600 || f.is5200 ||
                                                f.is5800 || f.is5500 || f.isQuadroFX1000_2000 ||
                                                f.isQuadroFX3000;
    m_form.biosVersion = c.identity.biosVersion;
    m_form.vendorName = c.identity.vendorName;
}

// --- voltages ---

void EditorModel::getvoltages() {
    CardState& c = m_card;
    // The analysis read the table of the image as it is now, the same read the card's flags give.
    c.voltages = m_analysis.data.voltages;
    if (c.voltages.recordedOffset) c.offsets.voltageTable = *c.voltages.recordedOffset;
    showMessages(c.voltages.messages);
    if (!c.voltages.table) return; // the lists stay as they are
    const VoltageTable& table = *c.voltages.table;
    c.offered = table.offered;
    std::vector<std::string> texts;
    for (const VoltageEntry& entry : table.offered)
        texts.push_back(voltageText(entry.voltage, m_decimalSeparator));
    for (std::size_t m = 0; m < kVoltageLists.size(); ++m) {
        const auto& mode = table.modes[m];
        // Where the mode's performance level carries its own voltage, that is what the card runs.
        const int selected = levelSelection(table, m_analysis.places, m).value_or(mode ? mode->selected : -1);
        m_form.combo(kVoltageLists[m]) = mode ? ComboBox{texts, selected, true} : ComboBox{{}, -1, false};
    }
    rememberSelections();
}

void EditorModel::CheckBox1Click() {
    CardState& c = m_card;
    c.generalModeActive = m_form.check(Control::GeneralMode).ticked;
    if (!c.generalModeActive) {
        getvoltages();
        return;
    }
    if (!c.generalModeWarningShown) m_host.showDialog(Dialog::Form3);
    c.generalModeWarningShown = true;
    for (ComboBox& list : m_form.combos) {
        list.entries.clear();
        list.selected = -1;
    }
    rememberSelections();
    fillGeneralMode();
}

void EditorModel::fillGeneralMode() {
    CardState& c = m_card;
    const std::int32_t maxCode = c.voltages.table ? c.voltages.table->maxCode : 0;
    const auto general = generalModeVoltages(c.identity.flags, maxCode);
    if (!general) return;
    for (std::size_t p = 0; p < general->entries.size(); ++p) {
        if (p < c.offered.size())
            c.offered[p] = general->entries[p];
        else
            c.offered.push_back(general->entries[p]);
    }
    for (std::size_t m = 0; m < kVoltageLists.size(); ++m) {
        ComboBox& list = m_form.combo(kVoltageLists[m]);
        if (general->enabled[m]) list.enabled = *general->enabled[m];
        if (!general->offeredIn[m]) continue;
        for (const VoltageEntry& entry : general->entries)
            list.entries.push_back(voltageText(entry.voltage, m_decimalSeparator));
    }
}

// --- clocks ---

void EditorModel::getclockrates() {
    CardState& c = m_card;
    c.clocks = m_analysis.data.clocks;
    if (c.clocks.recordedOffset) c.offsets.clockTable = *c.clocks.recordedOffset;
    showMessages(c.clocks.messages);
    if (!c.clocks.table) return;
    for (const ShownClock& clock : c.clocks.table->shown)
        setEditText(controlFor(clock.field), std::to_string(clock.mhz));
    for (const ShownClock& clock : c.clocks.table->shown)
        setEditEnabled(controlFor(clock.field), true);
}

// --- effective memory-rate labels ---

void EditorModel::setMemoryRateCaption(Control edit, const std::string& caption) {
    if (edit == Control::Mem3D)
        m_form.memoryRate3D = caption;
    else if (edit == Control::MemThrottle)
        m_form.memoryRateThrottle = caption;
    else
        m_form.memoryRate2D = caption;
}

void EditorModel::showMemoryRate(Control edit) {
    const std::string& text = m_form.edit(edit).text;
    const auto mhz = textToInt(text);
    if (!mhz) {
        // Nothing catches this conversion: it reaches the default error report.
        m_host.showMessage(Message{notAnIntegerText(text), {}, true});
        return;
    }
    setMemoryRateCaption(edit, "(" + std::to_string(2 * static_cast<std::int64_t>(*mhz)) + "Mhz DDR)");
}

void EditorModel::memoryRateChange(Control edit) {
    const std::string& text = m_form.edit(edit).text;
    // A box without a clock has no rate: the label must not keep the previous card's.
    if (text == "--") setMemoryRateCaption(edit, "--");
    if (text.empty() || text == "--") return;
    showMemoryRate(edit);
}

void EditorModel::memoryRateKeyUp(Control edit) {
    if (m_form.edit(edit).text.empty()) return;
    showMemoryRate(edit);
}

// --- timings ---

void EditorModel::CheckBox2Click() {
    CardState& c = m_card;
    if (m_form.check(Control::TimingEdit).ticked) {
        if (!c.timingWarningShown) m_host.showDialog(Dialog::Form4);
        c.timingWarningShown = true;
        c.timingEditActive = true;
        for (const Control box : kTimingBoxes)
            setEditEnabled(box, true);
        gettimings();
    } else {
        c.timingEditActive = false;
        for (const Control box : kTimingBoxes)
            setEditEnabled(box, false);
        for (const Control box : kTimingBoxes)
            setEditText(box, "-");
    }
}

void EditorModel::gettimings() {
    CardState& c = m_card;
    c.timings = m_analysis.data.timings;
    showMessages(c.timings->messages);
    if (!c.timings->timings) return;
    const MemoryTimings& t = *c.timings->timings;
    if (t.timingA == TimingAState::Found || t.timingA == TimingAState::NotUnified)
        c.offsets.timingA = t.timingAOffset;
    if (t.timingA == TimingAState::Found)
        setEditText(Control::TimingA, std::to_string(t.timingAValues[0]));
    else
        setEditEnabled(Control::TimingA, false);
    // B to F that have no place cannot be edited; those not read stay "-" for the user to fill.
    if (!t.setsAvailable)
        for (const Control box :
             {Control::TimingB, Control::TimingC, Control::TimingD, Control::TimingE, Control::TimingF})
            setEditEnabled(box, false);
    for (const TimingByte& byte : t.shown)
        setEditText(controlFor(byte.field), std::to_string(byte.value));
}

// --- save ---

std::string EditorModel::savePathFor(const std::string& chosenPath, int filterEntry) {
    // A path that names a folder ("out/") gets no extension: the save refuses it as it stands.
    const std::string name = std::filesystem::path(chosenPath).filename().string();
    if (name.empty() || name == "." || name == "..") return chosenPath;
    std::string lower = chosenPath;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    if (lower.find(".rom") != std::string::npos || lower.find(".bin") != std::string::npos) return chosenPath;
    return chosenPath + (filterEntry == kBinFilterEntry ? ".bin" : ".rom");
}

std::optional<Outcome> EditorModel::SaveBIOS1Click() {
    const auto choice = m_host.chooseSavePath();
    if (!choice) return std::nullopt;
    return saveBios(choice->path, choice->filterEntry);
}

SaveEdits EditorModel::userEdits() const {
    SaveEdits edits;
    for (const Control box : kEditBoxes) {
        const std::string& text = m_form.edit(box).text;
        if (text != m_programTexts.at(controlInfo(box).index)) edits.texts[*box.field()] = text;
    }
    for (std::size_t m = 0; m < kVoltageLists.size(); ++m) {
        const int position = m_form.combo(kVoltageLists[m]).selected;
        edits.selections[m] = position == m_programSelections[m] ? -1 : position;
    }
    edits.offered = m_card.offered;
    edits.timingsEdited = m_card.timingEditActive && m_card.timings;
    edits.levels = m_levelTexts;
    return edits;
}

CardData EditorModel::shownTables() const {
    return {m_card.identity, m_card.voltages, m_card.clocks, m_card.timings.value_or(MemoryTimingsRead{})};
}

std::string EditorModel::placeOf(Control control) const {
    const auto field = control.field();
    if (!field || m_analysis.image.empty()) return {};
    for (const FieldPlace& place : valuePlaces(m_analysis))
        if (place.field == field) return placeText(place);
    return std::string(captionOf(control)) + ": not found in this image";
}

void EditorModel::updatePendingSave() {
    const auto levelsOf = [](const RomStructure& structure) {
        std::vector<LevelSummary> levels;
        if (structure.perf && structure.perf->known)
            for (const PerfLevel& level : structure.perf->levels)
                levels.push_back(summarizeLevel(*structure.perf, level));
        return levels;
    };
    m_pending.edits = userEdits();
    m_pending.planned = planSave(m_analysis, shownTables(), m_pending.edits);
    ++m_savesPlanned;
    LevelsPreview& preview = m_pending.levels;
    preview = LevelsPreview{};
    preview.levels = levelsOf(m_analysis.structure);
    if (preview.levels.empty()) return;
    preview.heading = "Performance levels";
    if (!modified()) return;
    if (!m_pending.planned.plan) {
        preview.heading += " (the values shown cannot be saved)";
        return;
    }
    preview.heading += " after a save";
    preview.levels = levelsOf(m_pending.planned.plan->after.structure);
}

Outcome EditorModel::saveBios(const std::string& chosenPath, int filterEntry) {
    m_lastSave.reset();
    // A folder or a device is no file to save to, whatever extension the rule would add.
    if (const std::optional<std::string> refusal = m_files.refusalAsSaveTarget(chosenPath)) {
        m_lastSaveTarget = chosenPath;
        Outcome refused{OutcomeCause::WriteFailed, kCantOpenFile, chosenPath + ": " + *refusal};
        show(refused);
        return refused;
    }
    const std::string path = savePathFor(chosenPath, filterEntry);
    m_lastSaveTarget = path;
    Outcome outcome = saveTo(path);
    if (outcome.cause == OutcomeCause::Cancelled) return outcome; // nothing happened
    // A save that failed leaves the window as it was: its file is still the one it had.
    if (outcome.ok()) {
        m_form.filePath = path;
        markUnmodified(path);
        updatePendingSave();
        m_host.saved(path, *m_lastSave);
    }
    show(outcome);
    return outcome;
}

bool EditorModel::mayCarryOut(const SavePlan& plan) {
    for (const SaveObjection& objection : plan.objections) {
        // What the image's own structure says against the new image is asked once; a damaged
        // dump at every save, as every save would hide it.
        const bool said =
            objection.kind == SaveObjection::Kind::Contradicted && objection.detail == m_contradictionsSaid;
        if (said) continue;
        if (!m_host.confirmSave(objection.question, objection.detail)) return false;
        if (objection.kind == SaveObjection::Kind::Contradicted) m_contradictionsSaid = objection.detail;
    }
    return true;
}

bool EditorModel::mayReplaceDocument(const std::string& path,
                                     std::optional<std::vector<std::uint8_t>>& holds) {
    // Another program may have written the file, or swapped it for another, since it was read: a
    // save over it would destroy that content. A file that is gone loses nothing.
    ReadResult now = m_files.read(path);
    if (!now.ok()) return true;
    holds = std::move(now.bytes);
    if (*holds == m_analysis.image.bytes()) return true;
    return m_host.confirmSave(kSaveOverChangedFile,
                              path +
                                  " is no longer what was read from it: another program wrote it, or it was "
                                  "replaced. A save replaces what is there now.");
}

Outcome EditorModel::saveTo(const std::string& path) {
    if (m_analysis.image.empty())
        return {OutcomeCause::NoImage, kCantOpenFile, "There is no image to save: open a BIOS file first."};
    // The plan of the edits as they stand: the window's preview and this save are the same plan.
    const SavePlanResult& planned = m_pending.planned;
    if (planned.refused) return {OutcomeCause::RefusedValue, kCantOpenFile, refusalText(*planned.refused)};
    const SavePlan& plan = *planned.plan;

    std::vector<std::string> risky =
        riskyValues(shownTables(), m_analysis.data.voltages, m_pending.edits, kRiskLimits);
    if (m_analysis.levels) {
        const std::vector<std::string> levels = riskyLevelValues(*m_analysis.levels, m_pending.edits.levels);
        risky.insert(risky.end(), levels.begin(), levels.end());
    }
    if (!risky.empty() && !m_host.confirmRiskyValues(kSaveRiskyValues, risky))
        return {OutcomeCause::Cancelled, {}, {}};
    if (!mayCarryOut(plan)) return {OutcomeCause::Cancelled, {}, {}};

    const bool overDocument = !m_documentPath.empty() && m_files.sameFile(path, m_documentPath);
    // What the opened file holds when the save starts, which it must still hold when it is replaced.
    std::optional<std::vector<std::uint8_t>> holds;
    if (overDocument && !mayReplaceDocument(path, holds)) return {OutcomeCause::Cancelled, {}, {}};
    // The opened file keeps one original, whatever name or link the save reaches it by.
    const std::string backup = m_keepBackups && overDocument
                                   ? backupPathFor(m_files.realPath(m_documentPath)).string()
                                   : std::string();
    SaveDone done = saveToFile(plan, m_files, {path, backup, holds ? &*holds : nullptr});
    if (!done.outcome.ok()) return done.outcome;
    m_analysis = std::move(m_pending.planned.plan->after);
    // The image now holds what the boxes and lists show: that is what a later save compares with.
    const auto textsBefore = m_programTexts;
    const auto selectionsBefore = m_programSelections;
    for (std::size_t i = 0; i < m_programTexts.size(); ++i)
        m_programTexts[i] = m_form.edits[i].text;
    rememberSelections();
    moveFileValues(textsBefore, selectionsBefore);
    m_levelTexts.clear(); // the file holds them now
    m_lastSave = std::move(done.report);
    return done.outcome;
}

std::string EditorModel::proposedSavePath(const std::function<bool(const std::string&)>& taken) const {
    if (m_documentPath.empty()) return {};
    const std::filesystem::path document(m_documentPath);
    std::string stem = document.stem().string();
    // A file this program saved already ("card-mod.rom", "card-mod-2.rom") proposes the next one.
    const auto strip = [&stem](std::string_view suffix) {
        if (stem.size() > suffix.size() && stem.ends_with(suffix)) stem.resize(stem.size() - suffix.size());
    };
    const std::size_t dash = stem.rfind("-mod-");
    if (dash != std::string::npos && dash + 5 < stem.size() &&
        std::all_of(stem.begin() + static_cast<std::ptrdiff_t>(dash) + 5, stem.end(),
                    [](unsigned char c) { return std::isdigit(c) != 0; }))
        stem.resize(dash);
    else
        strip("-mod");
    for (int n = 1;; ++n) {
        const std::string name = stem + (n == 1 ? "-mod" : "-mod-" + std::to_string(n)) + ".rom";
        std::string path = (document.parent_path() / name).string();
        if (!taken(path) || n >= 999) return path;
    }
}

// --- the performance levels ---

std::optional<Control> EditorModel::linkedControl(const LevelCell& cell) const {
    for (const LevelLink& link : m_analysis.links) {
        if (link.cell != cell) continue;
        const Control control = controlFor(link.field);
        // A list that offers nothing (the throttle list of a two-entry table) shows no value.
        if (controlInfo(control).kind == ControlKind::List && !m_form.combo(control).enabled)
            return std::nullopt;
        return control;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> EditorModel::plannedLevelValue(const LevelCell& cell) const {
    const std::optional<std::uint32_t> file =
        m_analysis.levels ? fileValue(*m_analysis.levels, cell) : std::nullopt;
    const SavePlanResult& planned = m_pending.planned;
    if (!file || !planned.plan || !planned.plan->after.levels) return file;
    // A mode's box may write a level that no box shows (the 5600 writes its one memory clock into
    // every level): the level shows what the save would write there.
    const EditableLevel* now = planned.plan->after.levels->find(cell.level);
    const EditableLevel& was = *m_analysis.levels->find(cell.level);
    if (!now || now->memory.size() != was.memory.size()) return file;
    if (cell.field == LevelField::Memory)
        return now->memory[static_cast<std::size_t>(was.shownCopies.front())].value;
    const LevelCell same = cell;
    return fileValue(*planned.plan->after.levels, same);
}

std::string EditorModel::ownLevelText(const LevelCell& cell) const {
    if (const auto given = m_levelTexts.find(cell); given != m_levelTexts.end()) return given->second;
    const std::optional<std::uint32_t> value = plannedLevelValue(cell);
    return value ? valueText(*m_analysis.levels, cell, *value) : std::string();
}

std::string EditorModel::levelText(const LevelCell& cell) const {
    if (!m_analysis.levels || lackingCell(*m_analysis.levels, cell)) return {};
    if (cell.field == LevelField::MemoryCopy && !m_levelTexts.contains(cell)) {
        // A copy that holds the level's shown clock follows the level's memory clock.
        const EditableLevel& level = *m_analysis.levels->find(cell.level);
        const LevelCell memory{cell.level, LevelField::Memory};
        const bool shown = std::find(level.shownCopies.begin(), level.shownCopies.end(), cell.copy) !=
                           level.shownCopies.end();
        if (shown && levelChangedFromFile(memory)) return levelText(memory);
        return ownLevelText(cell);
    }
    const std::optional<Control> linked = linkedControl(cell);
    if (!linked || !changedFromFile(*linked)) return ownLevelText(cell);
    if (controlInfo(*linked).kind == ControlKind::EditBox) return m_form.edit(*linked).text;
    const int position = m_form.combo(*linked).selected;
    if (position < 0 || static_cast<std::size_t>(position) >= m_card.offered.size()) return {};
    return fixedHundredthsText(
        static_cast<std::uint32_t>(m_card.offered[static_cast<std::size_t>(position)].voltage));
}

bool EditorModel::levelChangedFromFile(const LevelCell& cell) const {
    if (m_levelTexts.contains(cell)) return true;
    if (!m_analysis.levels || lackingCell(*m_analysis.levels, cell)) return false;
    if (cell.field == LevelField::MemoryCopy) {
        const EditableLevel& level = *m_analysis.levels->find(cell.level);
        const bool shown = std::find(level.shownCopies.begin(), level.shownCopies.end(), cell.copy) !=
                           level.shownCopies.end();
        return shown && levelChangedFromFile({cell.level, LevelField::Memory});
    }
    const std::optional<Control> linked = linkedControl(cell);
    if (linked) return changedFromFile(*linked);
    return plannedLevelValue(cell) != fileValue(*m_analysis.levels, cell);
}

bool EditorModel::levelCopyDiffers(const LevelCell& copy) const {
    if (copy.field != LevelField::MemoryCopy || !m_analysis.levels || lackingCell(*m_analysis.levels, copy))
        return false;
    const LevelCell memory{copy.level, LevelField::Memory};
    const std::string copyText = levelText(copy);
    const std::string memoryText = levelText(memory);
    // The values compared, not their spellings: "275.5" is "275.50"; a text no value reads as
    // differs where it is another text.
    const LevelValueRead copyValue = readLevelValue(*m_analysis.levels, copy, copyText);
    const LevelValueRead memoryValue = readLevelValue(*m_analysis.levels, memory, memoryText);
    if (copyValue.stored && memoryValue.stored) return *copyValue.stored != *memoryValue.stored;
    return copyText != memoryText;
}

std::string EditorModel::levelFileText(const LevelCell& cell) const {
    const std::optional<std::uint32_t> file =
        m_analysis.levels ? fileValue(*m_analysis.levels, cell) : std::nullopt;
    if (!file) return {};
    return valueText(*m_analysis.levels, cell, *file) + " " + levelUnit(cell);
}

std::string EditorModel::levelRefusal(const LevelCell& cell) const {
    if (!m_analysis.levels || !levelChangedFromFile(cell)) return {};
    if (cell.field == LevelField::MemoryCopy && !m_levelTexts.contains(cell))
        return levelRefusal({cell.level, LevelField::Memory});
    if (!m_levelTexts.contains(cell)) {
        const std::optional<Control> linked = linkedControl(cell);
        return linked ? refusalOf(*linked) : std::string();
    }
    const LevelWrite write = writeLevels(*m_analysis.levels, {{cell, m_levelTexts.at(cell)}});
    return write.failure ? refusalText(*write.failure) : std::string();
}

std::string EditorModel::levelHint(const LevelCell& cell) const {
    if (!m_analysis.levels || lackingCell(*m_analysis.levels, cell)) return {};
    const EditableLevels& levels = *m_analysis.levels;
    std::string hint = levelCellCaption(cell);
    if (cell.field == LevelField::Memory)
        hint += ", in MHz, real clock: every copy that holds the level's clock.";
    else if (cell.field == LevelField::MemoryCopy)
        hint += ", in MHz, real clock: this memory configuration's copy alone.";
    else if (cell.field == LevelField::Core)
        hint += ", in MHz.";
    else if (cell.field == LevelField::Voltage)
        hint += ", in volts: a driver drops a level whose voltage the voltage table does not have.";
    else
        hint += ", in percent.";
    hint += "\nThe save takes " + levelRange(levels, cell) + ".";
    if (const std::optional<Control> linked = linkedControl(cell))
        hint += "\nThe same value as the " + std::string(fieldInfo(*linked->field()).caption) + ".";
    return hint + "\nIn the file: " + levelFileText(cell) + ".";
}

std::string EditorModel::levelPlaceOf(const LevelCell& cell) const {
    if (!m_analysis.levels) return {};
    std::vector<std::int32_t> offsets;
    for (const LevelPlace& place : cellPlaces(*m_analysis.levels, cell))
        offsets.push_back(place.offset);
    if (offsets.empty()) return {};
    const std::string caption = levelCellCaption(cell);
    if (offsets.size() == 1) return caption + ": " + hexOffset(offsets.front());
    return caption + ": " + std::to_string(offsets.size()) + " fields, " + hexOffset(offsets.front()) +
           " to " + hexOffset(offsets.back());
}

void EditorModel::clearCopiesOf(std::uint8_t level) {
    const EditableLevel* found = m_analysis.levels ? m_analysis.levels->find(level) : nullptr;
    if (!found) return;
    for (const int k : found->shownCopies)
        m_levelTexts.erase({level, LevelField::MemoryCopy, k});
}

void EditorModel::clearCopiesShownBy(Control box) {
    // A later value wins: the box's level value given on its own before, and the copies the box
    // writes (every copy of its level that holds the level's clock), take the box's value.
    for (const LevelLink& link : m_analysis.links) {
        if (controlFor(link.field) != box) continue;
        m_levelTexts.erase(link.cell);
        if (link.cell.field == LevelField::Memory) clearCopiesOf(link.cell.level);
    }
}

void EditorModel::setOwnLevelText(const LevelCell& cell, const std::string& text) {
    if (cell.field == LevelField::Memory) clearCopiesOf(cell.level);
    const std::optional<std::uint32_t> file = fileValue(*m_analysis.levels, cell);
    const LevelValueRead read = readLevelValue(*m_analysis.levels, cell, text);
    // The file's value typed again is no change.
    if (read.stored && read.stored == file)
        m_levelTexts.erase(cell);
    else
        m_levelTexts[cell] = text;
}

std::optional<std::string> EditorModel::setLevelText(const LevelCell& cell, const std::string& text) {
    if (!m_analysis.levels) return "the image has no performance table whose levels could be changed.";
    const EditableLevels& levels = *m_analysis.levels;
    if (auto lacking = lackingCell(levels, cell)) return lacking;
    const std::optional<Control> linked = linkedControl(cell);
    const LevelValueRead read = readLevelValue(levels, cell, text);
    if (cell.field == LevelField::Voltage) return setLevelVoltage(cell, linked, text);
    asUserChange(cell, true, [&] {
        // The box shows the level's clock in whole MHz: the file's value, exact or not, is the box's
        // own; a clock with a fraction of a MHz is the level's alone, and the box keeps the file's.
        const bool asInFile = read.stored && read.stored == fileValue(levels, cell);
        const bool whole = acceptsTypedText(text) || asInFile;
        if (linked) {
            clearCopiesShownBy(*linked);
            replaceText(*linked, whole && !asInFile ? text : m_programTexts.at(controlInfo(*linked).index));
        }
        if (!linked || !whole) setOwnLevelText(cell, text);
    });
    return std::nullopt;
}

std::optional<std::string> EditorModel::setLevelVoltage(const LevelCell& cell, std::optional<Control> linked,
                                                        const std::string& text) {
    const LevelValueRead read = readLevelValue(*m_analysis.levels, cell, text);
    const EditableLevels& levels = *m_analysis.levels;
    if (linked && !m_form.combo(*linked).enabled) linked.reset(); // the list is not the card's to set
    if (!linked) {
        if (!read.stored) return read.refusal;
        asUserChange(cell, false, [&] { setOwnLevelText(cell, valueText(levels, cell, *read.stored)); });
        return std::nullopt;
    }
    // The list sets the level's voltage: the list's own choice when it shows that voltage already,
    // else the entry of the table with it (the file's choice for the file's voltage).
    const ComboBox& list = m_form.combo(*linked);
    const auto offeredVoltage = [&](int position) -> std::optional<std::uint32_t> {
        if (position < 0 || static_cast<std::size_t>(position) >= m_card.offered.size()) return std::nullopt;
        return static_cast<std::uint32_t>(m_card.offered[static_cast<std::size_t>(position)].voltage);
    };
    const std::optional<std::uint32_t> asked = voltageOf(text);
    if (asked && offeredVoltage(list.selected) == asked) return std::nullopt;
    if (!read.stored) return read.refusal;
    int position = -1;
    if (read.stored == fileValue(levels, cell)) position = m_programSelections.at(controlInfo(*linked).index);
    const std::size_t stored = m_card.voltages.table ? m_card.voltages.table->stored.size() : 0;
    for (std::size_t p = 0; position < 0 && p < std::min(stored, m_card.offered.size()); ++p)
        if (offeredVoltage(static_cast<int>(p)) == read.stored) position = static_cast<int>(p);
    if (position < 0)
        return levelCellCaption(cell) + " " + voltsText(*read.stored) + " is no entry of the " +
               std::string(captionOf(*linked)) + " list.";
    asUserChange(cell, false, [&] { m_form.combo(*linked).selected = position; });
    return std::nullopt;
}

void EditorModel::revertLevel(const LevelCell& cell) {
    if (!m_analysis.levels || lackingCell(*m_analysis.levels, cell)) return;
    const std::optional<Control> linked = linkedControl(cell);
    asUserChange(cell, false, [&] {
        if (cell.field == LevelField::Memory) clearCopiesOf(cell.level);
        m_levelTexts.erase(cell);
        if (linked) revertOne(*linked);
    });
}

} // namespace zfx
