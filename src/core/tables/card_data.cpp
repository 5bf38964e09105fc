// SPDX-License-Identifier: MIT
#include "tables/card_data.h"

namespace zfx {

CardData readCardData(const BiosImage& image) {
    CardData data;
    data.identity = identifyCard(image);
    const CardFlags& flags = data.identity.flags;
    data.voltages = readVoltageTable(image, flags);
    data.clocks = readClockTable(image, flags, data.identity.vendorName);
    data.timings = readMemoryTimings(image, flags, data.clocks);
    return data;
}

} // namespace zfx
