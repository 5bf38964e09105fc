// SPDX-License-Identifier: MIT
#pragma once

#include "bios_image.h"
#include "card_identity.h"
#include "clock_table.h"
#include "memory_timings.h"
#include "voltage_table.h"

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
