// SPDX-License-Identifier: MIT
#pragma once

#include "tables/card_field.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace zfx {

// A control of the main window that holds a card value or an option: the box or list that shows
// a card field (Control::Core3D is the 3D core clock's box, the field's own name), or one of the
// two option check boxes (Control::GeneralMode, Control::TimingEdit). Controls order as the window
// numbers them: Edit1 .. Edit12, ComboBox1 .. ComboBox3, CheckBox1, CheckBox2.
class Control {
  public:
    using enum CardField;
    enum CheckBox { GeneralMode, TimingEdit };

    constexpr Control(CardField field)
        : m_value(static_cast<int>(field)) {} // NOLINT: a field names its control
    constexpr Control(CheckBox box) : m_value(kCheckBoxBase + static_cast<int>(box)) {} // NOLINT: likewise

    // The card field the control shows; absent for the check boxes.
    constexpr std::optional<CardField> field() const {
        if (m_value >= kCheckBoxBase) return std::nullopt;
        return static_cast<CardField>(m_value);
    }
    constexpr bool operator==(const Control&) const = default;
    // The window's order.
    constexpr bool operator<(const Control& other) const { return position() < other.position(); }
    // Where the control stands in the window's numbering, from 0.
    constexpr std::size_t position() const;

  private:
    static constexpr int kCheckBoxBase = static_cast<int>(kCardFields.size());
    int m_value;
};

enum class ControlKind { EditBox, List, CheckBox };

struct ControlInfo {
    Control control;
    ControlKind kind;
    std::size_t index;           // position among the controls of its kind
    std::string_view objectName; // the window's name for it
    std::string_view jsonKey;    // its key in the CLI's JSON
    std::string_view cliOption;  // the CLI option that sets it
    std::string_view label;      // a check box's text; empty where the field gives the words
};

inline constexpr std::array<ControlInfo, 17> kControls{{
    {Control::Core2D, ControlKind::EditBox, 0, "Edit1", "core2d", "--core-2d", ""},
    {Control::CoreThrottle, ControlKind::EditBox, 1, "Edit2", "coreThrottle", "--core-throttle", ""},
    {Control::Core3D, ControlKind::EditBox, 2, "Edit3", "core3d", "--core-3d", ""},
    {Control::Mem2D, ControlKind::EditBox, 3, "Edit4", "mem2d", "--mem-2d", ""},
    {Control::MemThrottle, ControlKind::EditBox, 4, "Edit5", "memThrottle", "--mem-throttle", ""},
    {Control::Mem3D, ControlKind::EditBox, 5, "Edit6", "mem3d", "--mem-3d", ""},
    {Control::TimingA, ControlKind::EditBox, 6, "Edit7", "A", "--timing-a", ""},
    {Control::TimingB, ControlKind::EditBox, 7, "Edit8", "B", "--timing-b", ""},
    {Control::TimingC, ControlKind::EditBox, 8, "Edit9", "C", "--timing-c", ""},
    {Control::TimingD, ControlKind::EditBox, 9, "Edit10", "D", "--timing-d", ""},
    {Control::TimingE, ControlKind::EditBox, 10, "Edit11", "E", "--timing-e", ""},
    {Control::TimingF, ControlKind::EditBox, 11, "Edit12", "F", "--timing-f", ""},
    {Control::Voltage2D, ControlKind::List, 0, "ComboBox1", "2d", "--voltage-2d", ""},
    {Control::VoltageThrottle, ControlKind::List, 1, "ComboBox2", "throttle", "--voltage-throttle", ""},
    {Control::Voltage3D, ControlKind::List, 2, "ComboBox3", "3d", "--voltage-3d", ""},
    {Control::GeneralMode, ControlKind::CheckBox, 0, "CheckBox1", "generalMode", "--general-mode",
     "Generalmode"},
    {Control::TimingEdit, ControlKind::CheckBox, 1, "CheckBox2", "timingEdit", "--timings",
     "Edit memory timings"},
}};

constexpr std::size_t Control::position() const {
    for (std::size_t i = 0; i < kControls.size(); ++i)
        if (kControls[i].control == *this) return i;
    return kControls.size(); // unreachable: every control has its row
}

constexpr const ControlInfo& controlInfo(Control control) {
    return kControls[control.position()];
}

// What people call a control: its field's caption, or a check box's text.
constexpr std::string_view captionOf(Control control) {
    const auto field = control.field();
    return field ? fieldInfo(*field).caption : controlInfo(control).label;
}

// The control that shows a card field.
constexpr Control controlFor(CardField field) {
    return Control(field);
}

// The controls that show a list of fields, in the list's order.
template <std::size_t N>
constexpr std::array<Control, N> controlsFor(const std::array<CardField, N>& fields) {
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        return std::array<Control, N>{Control(fields[I])...};
    }
    (std::make_index_sequence<N>{});
}

// The controls of each kind, in the window's numbering: the fields' own lists.
inline constexpr std::array<Control, 6> kClockBoxes = controlsFor(kClockFields);
inline constexpr std::array<Control, 6> kTimingBoxes = controlsFor(kTimingFields);
inline constexpr std::array<Control, 12> kEditBoxes = [] {
    std::array<CardField, 12> fields{};
    std::copy(kClockFields.begin(), kClockFields.end(), fields.begin());
    std::copy(kTimingFields.begin(), kTimingFields.end(), fields.begin() + kClockFields.size());
    return controlsFor(fields);
}();
inline constexpr std::array<Control, 3> kMemoryBoxes{Control::Mem2D, Control::MemThrottle, Control::Mem3D};
inline constexpr std::array<Control, 3> kVoltageLists = controlsFor(kVoltageModes);
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
