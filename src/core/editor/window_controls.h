// SPDX-License-Identifier: MIT
#pragma once

#include "tables/card_field.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace zfx {

// The main window's controls that hold card values or options: the twelve edit boxes, the three
// voltage lists and the two option check boxes, in the window's numbering (Edit1 .. Edit12,
// ComboBox1 .. ComboBox3, CheckBox1, CheckBox2).
enum class Control {
    Core2D,
    CoreThrottle,
    Core3D,
    Mem2D,
    MemThrottle,
    Mem3D,
    TimingA,
    TimingB,
    TimingC,
    TimingD,
    TimingE,
    TimingF,
    Voltage2D,
    VoltageThrottle,
    Voltage3D,
    GeneralMode,
    TimingEdit,
};

enum class ControlKind { EditBox, List, CheckBox };

struct ControlInfo {
    Control control;
    ControlKind kind;
    std::size_t index;              // position among the controls of its kind
    std::string_view objectName;    // the window's name for it
    std::string_view jsonKey;       // its key in the CLI's JSON
    std::string_view cliOption;     // the CLI option that sets it
    std::string_view label;         // a check box's text; empty where the field gives the words
    std::optional<CardField> field; // the card value it shows; absent for the check boxes
};

inline constexpr std::array<ControlInfo, 17> kControls{{
    {Control::Core2D, ControlKind::EditBox, 0, "Edit1", "core2d", "--core-2d", "", CardField::Core2D},
    {Control::CoreThrottle, ControlKind::EditBox, 1, "Edit2", "coreThrottle", "--core-throttle", "",
     CardField::CoreThrottle},
    {Control::Core3D, ControlKind::EditBox, 2, "Edit3", "core3d", "--core-3d", "", CardField::Core3D},
    {Control::Mem2D, ControlKind::EditBox, 3, "Edit4", "mem2d", "--mem-2d", "", CardField::Mem2D},
    {Control::MemThrottle, ControlKind::EditBox, 4, "Edit5", "memThrottle", "--mem-throttle", "",
     CardField::MemThrottle},
    {Control::Mem3D, ControlKind::EditBox, 5, "Edit6", "mem3d", "--mem-3d", "", CardField::Mem3D},
    {Control::TimingA, ControlKind::EditBox, 6, "Edit7", "A", "--timing-a", "", CardField::TimingA},
    {Control::TimingB, ControlKind::EditBox, 7, "Edit8", "B", "--timing-b", "", CardField::TimingB},
    {Control::TimingC, ControlKind::EditBox, 8, "Edit9", "C", "--timing-c", "", CardField::TimingC},
    {Control::TimingD, ControlKind::EditBox, 9, "Edit10", "D", "--timing-d", "", CardField::TimingD},
    {Control::TimingE, ControlKind::EditBox, 10, "Edit11", "E", "--timing-e", "", CardField::TimingE},
    {Control::TimingF, ControlKind::EditBox, 11, "Edit12", "F", "--timing-f", "", CardField::TimingF},
    {Control::Voltage2D, ControlKind::List, 0, "ComboBox1", "2d", "--voltage-2d", "", CardField::Voltage2D},
    {Control::VoltageThrottle, ControlKind::List, 1, "ComboBox2", "throttle", "--voltage-throttle", "",
     CardField::VoltageThrottle},
    {Control::Voltage3D, ControlKind::List, 2, "ComboBox3", "3d", "--voltage-3d", "", CardField::Voltage3D},
    {Control::GeneralMode, ControlKind::CheckBox, 0, "CheckBox1", "generalMode", "--general-mode",
     "Generalmode", std::nullopt},
    {Control::TimingEdit, ControlKind::CheckBox, 1, "CheckBox2", "timingEdit", "--timings",
     "Edit memory timings", std::nullopt},
}};

constexpr const ControlInfo& controlInfo(Control control) {
    return kControls[static_cast<std::size_t>(control)];
}

// What people call a control: its field's caption, or a check box's text.
constexpr std::string_view captionOf(Control control) {
    const ControlInfo& info = controlInfo(control);
    return info.field ? fieldInfo(*info.field).caption : info.label;
}

// The control that shows a card field.
constexpr Control controlFor(CardField field) {
    for (const ControlInfo& info : kControls)
        if (info.field == field) return info.control;
    return Control::Core2D; // unreachable: every field has its control
}

// The controls of each kind, in the window's numbering.
inline constexpr std::array<Control, 12> kEditBoxes{
    Control::Core2D,      Control::CoreThrottle, Control::Core3D,  Control::Mem2D,
    Control::MemThrottle, Control::Mem3D,        Control::TimingA, Control::TimingB,
    Control::TimingC,     Control::TimingD,      Control::TimingE, Control::TimingF};
inline constexpr std::array<Control, 6> kClockBoxes{Control::Core2D, Control::CoreThrottle, Control::Core3D,
                                                    Control::Mem2D,  Control::MemThrottle,  Control::Mem3D};
inline constexpr std::array<Control, 6> kTimingBoxes{Control::TimingA, Control::TimingB, Control::TimingC,
                                                     Control::TimingD, Control::TimingE, Control::TimingF};
inline constexpr std::array<Control, 3> kMemoryBoxes{Control::Mem2D, Control::MemThrottle, Control::Mem3D};
inline constexpr std::array<Control, 3> kVoltageLists{Control::Voltage2D, Control::VoltageThrottle,
                                                      Control::Voltage3D};
inline constexpr std::array<Control, 2> kCheckBoxes{Control::GeneralMode, Control::TimingEdit};
// The clock boxes mode by mode, as the window's rows and the CLI's JSON give them.
inline constexpr std::array<Control, 6> kClockBoxesByMode{Control::Core2D,       Control::Mem2D,
                                                          Control::CoreThrottle, Control::MemThrottle,
                                                          Control::Core3D,       Control::Mem3D};

// The edit boxes take digits only, typed or pasted; the GUI and the CLI refuse anything else.
constexpr bool isDigitsOnly(std::string_view text) {
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

} // namespace zfx
