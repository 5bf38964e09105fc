// SPDX-License-Identifier: MIT
// zorvane-fx-cli info as text: what the window shows of an image, one value a line.
#include "commands.h"

#include "editor/editor_model.h"
#include "recording_host.h"
#include "text/number_text.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace zfx::cli {

namespace {

// A performance level in one line: "80h: core 475 MHz, memory 475 MHz (8 copies), 1.40 V, fan 40 %";
// copies that differ name each value ("memory 350/300 MHz (8 copies differ)").
std::string levelLine(const EditorModel& model, const EditableLevel& level) {
    const auto text = [&](LevelField field) { return model.levelText({level.id, field}); };
    std::string line = hexByte(level.id) + ": core " + text(LevelField::Core) + " MHz, memory ";
    std::vector<std::string> values;
    for (std::size_t k = 0; k < level.memory.size(); ++k) {
        const std::string copy = model.levelText({level.id, LevelField::MemoryCopy, static_cast<int>(k)});
        if (std::find(values.begin(), values.end(), copy) == values.end()) values.push_back(copy);
    }
    for (std::size_t i = 0; i < values.size(); ++i)
        line += (i ? "/" : "") + values[i];
    line += " MHz";
    if (level.memory.size() > 1)
        line +=
            " (" + std::to_string(level.memory.size()) + " copies" + (values.size() > 1 ? " differ)" : ")");
    if (level.voltage) line += ", " + text(LevelField::Voltage) + " V";
    if (level.fan) line += ", fan " + text(LevelField::Fan) + " %";
    return line;
}

} // namespace

void printSummary(std::ostream& out, const EditorModel& model, const RecordingHost& host) {
    const FormState& f = model.form();
    auto list = [](const ComboBox& combo) {
        if (combo.entries.empty()) return std::string("-");
        std::string text;
        for (std::size_t i = 0; i < combo.entries.size(); ++i) {
            const bool chosen = static_cast<int>(i) == combo.selected;
            text += (i ? " " : "") + (chosen ? "[" + combo.entries[i] + "]" : combo.entries[i]);
        }
        return text;
    };
    auto clocks = [&](Control core, Control memory) {
        return "core " + f.edit(core).text + ", memory " + f.edit(memory).text + " " + f.memoryRate(memory);
    };
    // What comes from the image or the file's name is shown escaped: it must not act on the terminal.
    out << "File:          " << visibleText(f.filePath) << "\n"
        << "Device:        " << f.deviceName << " (" << model.card().identity.deviceText << ")\n"
        << "BIOS version:  " << visibleText(f.biosVersion) << "\n"
        << "Vendor:        " << f.vendorName << "\n"
        << "PCI IDs:       "
        << (model.analysis().image.empty() ? "--" : pciIdsText(model.analysis().data.identity)) << "\n"
        << "Voltages:      2D " << list(f.combo(Control::Voltage2D)) << " | Thrtl. "
        << list(f.combo(Control::VoltageThrottle)) << " | 3D " << list(f.combo(Control::Voltage3D)) << "\n"
        << "Clocks 3D:     " << clocks(Control::Core3D, Control::Mem3D) << "\n"
        << "Clocks Thrtl.: " << clocks(Control::CoreThrottle, Control::MemThrottle) << "\n"
        << "Clocks 2D:     " << clocks(Control::Core2D, Control::Mem2D) << "\n";
    if (f.edit(Control::TimingA).enabled || f.edit(Control::TimingB).enabled) {
        const char* separator = "Timings:       ";
        for (const Control box : kTimingBoxes) {
            out << separator << controlInfo(box).jsonKey << " " << f.edit(box).text;
            separator = ", ";
        }
        out << "\n";
    }
    if (model.levels()) {
        const char* heading = "Levels:        ";
        for (const EditableLevel& level : model.levels()->levels) {
            out << heading << levelLine(model, level) << "\n";
            heading = "               ";
        }
    }
    for (const Message& message : host.messages)
        out << "Message:       " << visibleText(message.text) << "\n";
}

} // namespace zfx::cli
