// SPDX-License-Identifier: MIT
// zorvane-fx-cli info as text: what the window shows of an image, one value a line.
#include "commands.h"

#include "editor/editor_model.h"
#include "recording_host.h"
#include "text/number_text.h"

#include <ostream>
#include <string>

namespace zfx::cli {

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
    for (const Message& message : host.messages)
        out << "Message:       " << visibleText(message.text) << "\n";
}

} // namespace zfx::cli
