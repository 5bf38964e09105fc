// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
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

// One byte a write-back stores, and the field it belongs to.
struct ByteWrite {
    std::int32_t offset;
    std::uint8_t value;
    CardField field;
};

// Why a user's value for a field cannot be written: not a whole number, or outside 0..maximum.
struct ValueFailure {
    enum class Kind { NotANumber, OutOfRange };
    CardField field;
    Kind kind;
    std::string text;     // what the user's box held
    std::int32_t maximum; // the largest value the field takes
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
