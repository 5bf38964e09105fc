// SPDX-License-Identifier: MIT
#pragma once

#include "image/bios_image.h"
#include "image/card_identity.h"
#include "tables/card_field.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zfx {

// The families by where their clock table lies and how its marker is found.
enum class ClockFamily { None, FX5700LE, FX5800, FX5200, FX5600Ultra, FX5600, GF6800, FX5900 };

ClockFamily clockFamilyOf(const CardFlags& flags);

// A 16-bit little-endian clock at offset and offset + 1, and the field it belongs to.
struct ClockSlot {
    CardField field;
    std::int32_t offset;
};

// A clock the window shows: where it is read, what is stored there and the whole MHz shown.
struct ShownClock {
    CardField field;
    std::int32_t offset;
    std::uint16_t stored; // hundredths of a MHz on FX cards, whole MHz on the 6800
    std::int32_t mhz;     // FX clocks rounded to whole MHz, halves to even
};

// The clock-rate table: each family marks it with its own short byte pattern and keeps its
// clocks at fixed distances from the base derived from that marker.
struct ClockTable {
    ClockFamily family = ClockFamily::None;
    std::int32_t base = 0;         // also the base of the memory-timing sets B to F
    bool stride56 = false;         // a 5600 whose entries lie 56 bytes apart
    bool hundredths = true;        // FX cards store hundredths of a MHz, the 6800 whole MHz
    std::vector<ShownClock> shown; // in the reader's order
    std::vector<ClockSlot> writes; // every copy the write-back stores, in its order
};

struct ClockTableRead {
    ClockFamily family = ClockFamily::None;
    std::optional<ClockTable> table;
    std::string notFound;              // why there is no table, when there is none
    std::vector<std::string> messages; // what the reader shows, in order
    // The offset the editor's offsets report keeps: some families record the marker's base
    // even when no table is there; absent leaves the previous value.
    std::optional<std::int32_t> recordedOffset;
    // The fields the write-back converts, in its order; they are checked even without a table.
    std::vector<CardField> writeOrder;
};

// Where a clock field lives: the start of every 16-bit copy it is read from or written to, in
// ascending order.
std::vector<std::int32_t> clockOffsets(const ClockTable& table, CardField field);

// vendorName decides where a 6800 keeps its 2D clocks (reference boards: the first pair).
ClockTableRead readClockTable(const BiosImage& image, const CardFlags& flags, const std::string& vendorName);

// The largest whole MHz a clock of the family takes: what fits 16 bits.
std::int32_t maxClockMhz(ClockFamily family);

// The bytes that store the user's clocks (whole MHz) in every copy, or the first refused text.
TableWrite writeClocks(const ClockTableRead& read, const FieldTexts& texts);

} // namespace zfx
