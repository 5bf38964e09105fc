// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zfx {

// The card values the editor shows and the save writes, by what they mean to the card.
enum class CardField {
    Voltage2D,
    VoltageThrottle,
    Voltage3D,
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
};

// Which of the card's tables keeps a field.
enum class FieldGroup { Voltage, Clock, Timing };

// What a card field is called, in messages, reports and checks, and the unit of its value.
struct FieldInfo {
    CardField field;
    std::string_view caption; // "2D core clock"
    std::string_view unit;    // "MHz", "V", or empty for a plain number
    FieldGroup group;
};

inline constexpr std::array<FieldInfo, 15> kCardFields{{
    {CardField::Voltage2D, "2D voltage", "V", FieldGroup::Voltage},
    {CardField::VoltageThrottle, "throttle voltage", "V", FieldGroup::Voltage},
    {CardField::Voltage3D, "3D voltage", "V", FieldGroup::Voltage},
    {CardField::Core2D, "2D core clock", "MHz", FieldGroup::Clock},
    {CardField::CoreThrottle, "throttle core clock", "MHz", FieldGroup::Clock},
    {CardField::Core3D, "3D core clock", "MHz", FieldGroup::Clock},
    {CardField::Mem2D, "2D memory clock", "MHz", FieldGroup::Clock},
    {CardField::MemThrottle, "throttle memory clock", "MHz", FieldGroup::Clock},
    {CardField::Mem3D, "3D memory clock", "MHz", FieldGroup::Clock},
    {CardField::TimingA, "Timing A", "", FieldGroup::Timing},
    {CardField::TimingB, "Timing B", "", FieldGroup::Timing},
    {CardField::TimingC, "Timing C", "", FieldGroup::Timing},
    {CardField::TimingD, "Timing D", "", FieldGroup::Timing},
    {CardField::TimingE, "Timing E", "", FieldGroup::Timing},
    {CardField::TimingF, "Timing F", "", FieldGroup::Timing},
}};

constexpr const FieldInfo& fieldInfo(CardField field) {
    return kCardFields[static_cast<std::size_t>(field)];
}

// The voltage fields of the three modes (2D, throttle, 3D), the clock fields mode by mode and the
// timing fields, in the window's order: the one list of each kind.
inline constexpr std::array<CardField, 3> kVoltageModes{CardField::Voltage2D, CardField::VoltageThrottle,
                                                        CardField::Voltage3D};
inline constexpr std::array<CardField, 6> kClockFields{CardField::Core2D,      CardField::CoreThrottle,
                                                       CardField::Core3D,      CardField::Mem2D,
                                                       CardField::MemThrottle, CardField::Mem3D};
inline constexpr std::array<CardField, 6> kTimingFields{CardField::TimingA, CardField::TimingB,
                                                        CardField::TimingC, CardField::TimingD,
                                                        CardField::TimingE, CardField::TimingF};

// Offsets in ascending order, each once: the copies of a field as its place lists them.
inline std::vector<std::int32_t> ascendingOnce(std::vector<std::int32_t> offsets) {
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    return offsets;
}

// The values of a performance level a user may change: its core clock, its memory clock (every copy
// that holds the level's shown value), one memory copy by its index, its voltage and its fan.
enum class LevelField { Core, Memory, MemoryCopy, Voltage, Fan };

// One value of one performance level: "80h:core", "80h:memory.3".
struct LevelCell {
    std::uint8_t level = 0;
    LevelField field = LevelField::Core;
    int copy = 0; // the memory copy, from 0; MemoryCopy only
    auto
    operator<=>(const LevelCell&) const = default; // NOLINT(modernize-use-nullptr): clang-tidy 14 misreads it
};

// One byte a write-back stores, and the field it belongs to.
struct ByteWrite {
    std::int32_t offset;
    std::uint8_t value;
    CardField field;
};

// Why a user's value for a field cannot be written: not a whole number, or outside 0..maximum.
// Or, for a voltage, why the image would contradict itself: a level would ask for a voltage the
// table no longer has.
struct ValueFailure {
    // LevelValue: a performance level's value, which reason words whole.
    enum class Kind { NotANumber, OutOfRange, DropsLevel, LevelValue };
    CardField field;
    Kind kind;
    std::string text;                 // what the user's box held, or the voltage chosen
    std::int32_t maximum;             // the largest value the field takes
    std::string reason;               // DropsLevel: what the structure check of the new image says
    std::optional<LevelCell> level{}; // LevelValue: the level's value refused
};

// What a write-back stores, in its order, or the first value it refused (then nothing is stored).
struct TableWrite {
    std::vector<ByteWrite> writes;
    std::optional<ValueFailure> failure;
};

// The user's texts for the fields a write-back converts. A field not given is one the user left
// alone: its bytes keep what they hold.
using FieldTexts = std::map<CardField, std::string>;

} // namespace zfx
