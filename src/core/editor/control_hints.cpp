// SPDX-License-Identifier: MIT
// The words of the controls' tool tips: what a box or list holds, the range a save takes, and what
// the file holds.
#include "editor/editor_model.h"

#include <algorithm>

namespace zfx {

std::string EditorModel::controlHint(Control control) const {
    const ControlInfo& info = controlInfo(control);
    if (info.kind == ControlKind::CheckBox) return {};
    const CardField field = *control.field();
    const FieldInfo& about = fieldInfo(field);
    std::string hint(about.caption);
    const bool memory = std::find(kMemoryBoxes.begin(), kMemoryBoxes.end(), control) != kMemoryBoxes.end();
    if (about.group == FieldGroup::Voltage)
        hint += ", in volts: the entry of the voltage table the mode runs.";
    else if (about.group == FieldGroup::Clock)
        hint += memory ? ", in MHz, real clock; the DDR rate is twice it." : ", in MHz.";
    else
        hint += ": a plain number, as the memory controller takes it.";
    if (about.group == FieldGroup::Clock && m_card.clocks.family != ClockFamily::None)
        hint += "\nThe save takes 0 to " + std::to_string(maxClockMhz(m_card.clocks.family)) + " MHz.";
    else if (about.group == FieldGroup::Timing)
        hint += "\nThe save takes 0 to 255.";
    else if (about.group == FieldGroup::Voltage && m_card.generalModeActive)
        hint += "\nGeneralmode offers voltages the table does not hold.";
    if (m_analysis.image.empty()) return hint;
    const std::string inFile = fileValueText(control);
    if (!inFile.empty())
        hint += "\nIn the file: " + inFile + ".";
    else if (about.group == FieldGroup::Timing && !m_card.timingEditActive)
        hint += "\nTick \"Edit memory timings\" to read it.";
    return hint;
}

} // namespace zfx
