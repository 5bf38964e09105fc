// SPDX-License-Identifier: MIT
// The core-voltage table: found by 10 02 03 (three entries) or 10 02 02 (two entries); byte 4 is
// the highest code the card takes, then (voltage in 10 mV, code) pairs from byte 5.
#include "editor_model.h"
#include "number_text.h"

#include <algorithm>

namespace zfx {

namespace {

constexpr const char* kNoVoltageTable = "Couldnt find VGPU info. ;(";
// The extra fourth entry of the 5800/5900/6800 group always writes 1.50 V.
constexpr std::int32_t kExtraEntryVoltage = 150;
constexpr int kListPositions = 8;

bool in5600Group(const CardFlags& f) {
    return f.is5600 || f.is5600Ultra || f.is5700 || f.is5700LE || f.isQuadroFX1000_2000;
}
bool in5800Group(const CardFlags& f) {
    return f.is6800 || f.is5900 || f.is5800 || f.isQuadroFX3000;
}

} // namespace

std::string EditorModel::voltageEntryText(int tenMillivolts) const {
    return voltageText(tenMillivolts, m_decimalSeparator);
}

void EditorModel::getvoltages() {
    m_card.voltageTableFound = false;
    if (in5600Group(m_card.flags)) readVoltages5600Group();
    if (in5800Group(m_card.flags)) readVoltages5800Group();
}

void EditorModel::readVoltages5600Group() {
    CardState& c = m_card;
    const BiosImage& image = c.image;
    std::int32_t o = image.findPattern("100203");
    c.threeVoltageEntries = true;
    if (o == 0) {
        o = image.findPattern("100202");
        c.threeVoltageEntries = false;
    }
    const int count = c.threeVoltageEntries ? 3 : 2;
    if (o == 0 || !image.contains(o, static_cast<std::int64_t>(o) + 4 + 2 * count)) {
        c.threeVoltageEntries = false;
        showMessage(kNoVoltageTable);
        return;
    }
    c.voltageTableOffset = o;
    c.maxVoltageCode = image.at(o + 4);
    for (int k = 0; k < count; ++k) {
        c.voltageCodes[static_cast<std::size_t>(8 + k)] = image.at(o + 5 + 2 * k);
        c.voltageCodes[static_cast<std::size_t>(k)] = image.at(o + 6 + 2 * k);
    }
    std::vector<std::string> texts;
    for (int k = 0; k < count; ++k)
        texts.push_back(voltageEntryText(c.voltageCodes[static_cast<std::size_t>(8 + k)]));

    ComboBox& list2d = comboBox(1);
    ComboBox& listThrottle = comboBox(2);
    ComboBox& list3d = comboBox(3);
    for (ComboBox* list : {&list2d, &listThrottle, &list3d})
        *list = ComboBox{{}, -1, list->enabled};
    list2d.entries = texts;
    list2d.selected = 0;
    list3d.entries = texts;
    list3d.selected = count - 1;
    if (c.threeVoltageEntries) {
        listThrottle.entries = texts;
        listThrottle.selected = 1;
    }

    // Codes between the table's highest and the card's maximum are offered as further entries,
    // 0.10 V apart; only those that fit a list position and a byte.
    const auto codesBegin = c.voltageCodes.begin();
    const bool allBelowMax = std::all_of(codesBegin, codesBegin + count,
                                         [&](std::int32_t code) { return code < c.maxVoltageCode; });
    if (allBelowMax) {
        const std::int32_t highest = *std::max_element(codesBegin, codesBegin + count);
        const std::int32_t generated = c.maxVoltageCode - highest;
        for (std::int32_t i = 0; i < generated; ++i) {
            const auto q = static_cast<std::size_t>(count + i);
            if (q >= kListPositions) break;
            const std::int32_t voltage = c.voltageCodes[q + 7] + 10;
            if (voltage > 255) break;
            c.voltageCodes[q] = highest + 1 + i;
            c.voltageCodes[q + 8] = voltage;
            const std::string text = voltageEntryText(voltage);
            list2d.entries.push_back(text);
            if (c.threeVoltageEntries) listThrottle.entries.push_back(text);
            list3d.entries.push_back(text);
        }
    }
    list2d.enabled = true;
    list3d.enabled = true;
    listThrottle.enabled = c.threeVoltageEntries;
    c.voltageTableFound = true;
}

void EditorModel::readVoltages5800Group() {
    CardState& c = m_card;
    const BiosImage& image = c.image;
    const std::int32_t o = image.findPattern("100203");
    c.voltageTableOffset = o;
    if (o == 0 || !image.contains(o, static_cast<std::int64_t>(o) + 10)) {
        showMessage(kNoVoltageTable);
        return;
    }
    c.maxVoltageCode = image.at(o + 4);
    for (std::size_t k = 0; k < 3; ++k) {
        c.voltageCodes[8 + k] = image.at(o + 5 + 2 * static_cast<std::int32_t>(k));
        c.voltageCodes[k] = image.at(o + 6 + 2 * static_cast<std::int32_t>(k));
    }
    const bool extraEntry = c.voltageCodes[0] < c.maxVoltageCode && c.voltageCodes[1] < c.maxVoltageCode &&
                            c.voltageCodes[2] < c.maxVoltageCode;
    if (extraEntry) {
        c.voltageCodes[3] = c.maxVoltageCode;
        c.voltageCodes[11] = kExtraEntryVoltage;
    }
    std::vector<std::string> texts;
    for (std::size_t k = 0; k < 3; ++k)
        texts.push_back(voltageEntryText(c.voltageCodes[8 + k]));
    // The entry shows the voltage it writes.
    if (extraEntry) texts.push_back(voltageEntryText(kExtraEntryVoltage));

    const bool gt = c.flags.is6800GT;
    comboBox(1) = ComboBox{texts, 0, true};
    comboBox(2) = gt ? ComboBox{{}, -1, false} : ComboBox{texts, 1, true};
    comboBox(3) = ComboBox{texts, gt ? 1 : 2, true};
    c.voltageTableFound = true;
}

void EditorModel::CheckBox1Click() {
    CardState& c = m_card;
    c.generalModeActive = m_form.check(1).ticked;
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
    fillGeneralMode();
}

void EditorModel::fillGeneralMode() {
    CardState& c = m_card;
    const CardFlags& f = c.flags;
    auto setCodes = [&](const std::vector<std::int32_t>& voltages) {
        for (std::size_t p = 0; p < voltages.size(); ++p) {
            c.voltageCodes[p + 8] = voltages[p];
            c.voltageCodes[p] = static_cast<std::int32_t>(p);
        }
    };
    auto append = [&](const std::vector<std::int32_t>& voltages, bool toThrottle, bool to3d) {
        for (const std::int32_t voltage : voltages) {
            const std::string text = voltageEntryText(voltage);
            comboBox(1).entries.push_back(text);
            if (toThrottle) comboBox(2).entries.push_back(text);
            if (to3d) comboBox(3).entries.push_back(text);
        }
    };
    const std::vector<std::int32_t> common8{80, 90, 100, 110, 120, 130, 140, 150};
    const std::vector<std::int32_t> ultra8{86, 96, 106, 116, 126, 136, 146, 156};
    const std::vector<std::int32_t> common4{110, 120, 130, 140};

    if (f.is5900 || f.is5800 || f.is5600Ultra || f.isQuadroFX1000_2000) {
        // The Quadro FX 1000/2000 has no throttle voltage of its own.
        const bool quadro = f.isQuadroFX1000_2000;
        if (c.maxVoltageCode == 7) {
            const auto& voltages = f.is5600Ultra ? ultra8 : common8;
            setCodes(voltages);
            comboBox(1).enabled = true;
            if (!quadro) comboBox(2).enabled = true;
            comboBox(3).enabled = true;
            append(voltages, !quadro, true);
        } else if (c.maxVoltageCode == 3) {
            setCodes(common4);
            comboBox(1).enabled = true;
            if (!quadro) comboBox(2).enabled = true;
            comboBox(3).enabled = true;
            append(common4, true, true);
        }
    }
    if (f.is5700) {
        if (c.maxVoltageCode == 7) {
            setCodes(common8);
            for (ComboBox& list : m_form.combos)
                list.enabled = true;
            append(common8, true, true);
        } else if (c.maxVoltageCode == 1) {
            setCodes({130, 135});
            comboBox(1).enabled = true;
            comboBox(2).enabled = true;
            comboBox(3).enabled = false;
            append({130, 135}, true, false);
        }
    }
}

void EditorModel::voltageWriteBack(std::vector<ByteWrite>& writes) const {
    const CardState& c = m_card;
    if (!c.voltageTableFound) return;
    const std::int32_t o = c.voltageTableOffset;
    auto fill = [&](std::int32_t entry, int combo) {
        const int s = m_form.combo(combo).selected;
        if (s < 0 || s >= kListPositions) return; // no choice: the entry stays as it is
        const auto p = static_cast<std::size_t>(s);
        writes.push_back({o + 5 + 2 * entry, static_cast<std::uint8_t>(c.voltageCodes[p + 8] & 0xFF)});
        writes.push_back({o + 6 + 2 * entry, static_cast<std::uint8_t>(c.voltageCodes[p] & 0xFF)});
    };
    const CardFlags& f = c.flags;
    if (in5800Group(f)) {
        fill(0, 1);
        if (f.is6800GT) {
            fill(1, 3);
        } else {
            fill(1, 2);
            fill(2, 3);
        }
    } else if (in5600Group(f)) {
        fill(0, 1);
        if (c.threeVoltageEntries) {
            fill(1, 2);
            fill(2, 3);
        } else {
            fill(1, 3);
        }
    }
}

} // namespace zfx
