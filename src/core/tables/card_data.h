// SPDX-License-Identifier: MIT
#pragma once

#include "image/bios_image.h"
#include "image/card_identity.h"
#include "tables/clock_table.h"
#include "tables/memory_timings.h"
#include "tables/voltage_table.h"

namespace zfx {

// Everything the editor reads from one image, without a window: who the card is, its voltage
// table, its clock table and its memory timings, each with the offsets it came from.
struct CardData {
    CardIdentity identity;
    VoltageTableRead voltages;
    ClockTableRead clocks;
    MemoryTimingsRead timings;
};

CardData readCardData(const BiosImage& image);

} // namespace zfx
