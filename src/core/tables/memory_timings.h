// SPDX-License-Identifier: MIT
#pragma once

#include "image/bios_image.h"
#include "image/card_identity.h"
#include "tables/card_field.h"
#include "tables/clock_table.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zfx {

// B to F in their fields' order.
inline constexpr std::array<CardField, 5> kTimingSetFields{
    CardField::TimingB, CardField::TimingC, CardField::TimingD, CardField::TimingE, CardField::TimingF};

// A timing byte the window shows.
struct TimingByte {
    CardField field;
    std::int32_t offset;
    std::uint8_t value;
};

enum class TimingAState {
    NotInFamily, // the family keeps no Timing A
    NotFound,    // no pattern, or its table runs past the end
    NotUnified,  // the eight bytes differ: shown and written by nobody
    Found,
};

// Timing A: eight bytes 4 apart in a table behind the pattern 04 08 00 02 10 00. B to F: one
// byte each in the timing sets at fixed distances from the clock table's base.
struct MemoryTimings {
    TimingAState timingA = TimingAState::NotInFamily;
    std::int32_t timingAOffset = 0;               // the first of the eight, when found
    std::array<std::int32_t, 8> timingAOffsets{}; // when found
    std::array<std::uint8_t, 8> timingAValues{};  // when found
    // Every copy of B to F lies inside this image's clock table; without one they have no place.
    bool setsAvailable = false;
    // B to F as the reader shows them; empty when it does not read them (Timing A was looked for
    // and not found, or the sets have no place).
    std::vector<TimingByte> shown;
    // Where the write-back stores B to F, one base per copy of the set, in its order.
    std::vector<std::int32_t> setBases;
};

struct MemoryTimingsRead {
    std::optional<MemoryTimings> timings; // absent for families without memory timings
    std::vector<std::string> messages;    // what the reader shows, in order
};

MemoryTimingsRead readMemoryTimings(const BiosImage& image, const CardFlags& flags,
                                    const ClockTableRead& clocks);

// Every byte the field occupies: the eight of Timing A (also when not unified), every copy of B to
// F, in ascending order; empty where it has no place.
std::vector<std::int32_t> timingOffsets(const MemoryTimings& timings, CardField field);

// The bytes that store Timing A (all eight, when it is shown) and B to F (every copy), or the
// first refused text. Each value is 0..255.
TableWrite writeMemoryTimings(const MemoryTimings& timings, const FieldTexts& texts);

} // namespace zfx
