// SPDX-License-Identifier: MIT
#include "tables/voltage_table.h"

#include <algorithm>

namespace zfx {

namespace {

constexpr const char* kNoVoltageTable = "Couldnt find VGPU info. ;(";
// The extra fourth entry of the 5800/5900/6800 group always writes 1.50 V.
constexpr std::int32_t kExtraEntryVoltage = 150;
// The lists never offer more than eight voltages.
constexpr std::size_t kListPositions = 8;

bool in5600Group(const CardFlags& f) {
    return f.is5600 || f.is5600Ultra || f.is5700 || f.is5700LE || f.isQuadroFX1000_2000;
}
bool in5800Group(const CardFlags& f) {
    return f.is6800 || f.is5900 || f.is5800 || f.isQuadroFX3000;
}

VoltageTable storedPairs(const BiosImage& image, std::int32_t o, std::size_t count) {
    VoltageTable t;
    t.offset = o;
    t.maxCodeOffset = o + 4;
    t.maxCode = image.at(o + 4);
    for (std::size_t k = 0; k < count; ++k) {
        const std::int32_t at = o + 5 + 2 * static_cast<std::int32_t>(k);
        t.stored.push_back({{image.at(at), image.at(at + 1)}, at, at + 1});
    }
    for (const StoredVoltage& s : t.stored)
        t.offered.push_back(s.entry);
    return t;
}

VoltageTableRead notFound(std::string why, std::optional<std::int32_t> recorded = std::nullopt) {
    VoltageTableRead read;
    read.notFound = std::move(why);
    read.messages.emplace_back(kNoVoltageTable);
    read.recordedOffset = recorded;
    return read;
}

VoltageTableRead read5600Group(const BiosImage& image) {
    std::int32_t o = image.findPattern("100203");
    bool three = true;
    if (o == 0) {
        o = image.findPattern("100202");
        three = false;
    }
    const std::size_t count = three ? 3 : 2;
    if (o == 0) return notFound("neither 10 02 03 nor 10 02 02 is in the image");
    if (!image.contains(o, static_cast<std::int64_t>(o) + 4 + 2 * static_cast<std::int64_t>(count)))
        return notFound("the table at " + std::to_string(o) + " runs past the end of the image");

    VoltageTable t = storedPairs(image, o, count);
    // Codes between the table's highest and the card's maximum are offered as further entries,
    // 0.10 V apart; only those that fit a list position and a byte.
    const bool allBelowMax = std::all_of(t.stored.begin(), t.stored.end(),
                                         [&](const StoredVoltage& s) { return s.entry.code < t.maxCode; });
    if (allBelowMax) {
        std::int32_t highest = 0;
        for (const StoredVoltage& s : t.stored)
            highest = std::max(highest, s.entry.code);
        for (std::int32_t i = 0; i < t.maxCode - highest; ++i) {
            if (t.offered.size() >= kListPositions) break;
            const std::int32_t voltage = t.offered.back().voltage + 10;
            if (voltage > 255) break;
            t.offered.push_back({voltage, highest + 1 + i});
        }
    }
    t.modes[0] = VoltageMode{0, 0};
    if (three) t.modes[1] = VoltageMode{1, 1};
    t.modes[2] = VoltageMode{count - 1, static_cast<int>(count) - 1};
    VoltageTableRead read;
    read.recordedOffset = o;
    read.table = std::move(t);
    return read;
}

VoltageTableRead read5800Group(const BiosImage& image, const CardFlags& f) {
    const std::int32_t o = image.findPattern("100203");
    if (o == 0) return notFound("10 02 03 is not in the image", 0);
    if (!image.contains(o, static_cast<std::int64_t>(o) + 10))
        return notFound("the table at " + std::to_string(o) + " runs past the end of the image", o);

    VoltageTable t = storedPairs(image, o, 3);
    const bool extraEntry = std::all_of(t.stored.begin(), t.stored.end(),
                                        [&](const StoredVoltage& s) { return s.entry.code < t.maxCode; });
    // The entry shows the voltage it writes.
    if (extraEntry) t.offered.push_back({kExtraEntryVoltage, t.maxCode});
    t.modes[0] = VoltageMode{0, 0};
    if (f.is6800GT) {
        t.modes[2] = VoltageMode{1, 1};
    } else {
        t.modes[1] = VoltageMode{1, 1};
        t.modes[2] = VoltageMode{2, 2};
    }
    VoltageTableRead read;
    read.recordedOffset = o;
    read.table = std::move(t);
    return read;
}

std::vector<VoltageEntry> byPosition(const std::vector<std::int32_t>& voltages) {
    std::vector<VoltageEntry> entries;
    for (std::size_t p = 0; p < voltages.size(); ++p)
        entries.push_back({voltages[p], static_cast<std::int32_t>(p)});
    return entries;
}

} // namespace

bool hasVoltageTable(const CardFlags& flags) {
    return in5600Group(flags) || in5800Group(flags);
}

VoltageTableRead readVoltageTable(const BiosImage& image, const CardFlags& flags) {
    if (in5800Group(flags)) return read5800Group(image, flags);
    if (in5600Group(flags)) return read5600Group(image);
    return {};
}

std::optional<GeneralModeVoltages> generalModeVoltages(const CardFlags& f, std::int32_t maxCode) {
    const std::vector<std::int32_t> common8{80, 90, 100, 110, 120, 130, 140, 150};
    const std::vector<std::int32_t> ultra8{86, 96, 106, 116, 126, 136, 146, 156};
    const std::vector<std::int32_t> common4{110, 120, 130, 140};
    const std::optional<bool> keep;
    if (f.is5900 || f.is5800 || f.is5600Ultra || f.isQuadroFX1000_2000) {
        // The Quadro FX 1000/2000 has no throttle voltage of its own.
        const bool quadro = f.isQuadroFX1000_2000;
        const std::optional<bool> throttleOn = quadro ? keep : std::optional<bool>(true);
        if (maxCode == 7)
            return GeneralModeVoltages{byPosition(f.is5600Ultra ? ultra8 : common8),
                                       {true, !quadro, true},
                                       {true, throttleOn, true}};
        if (maxCode == 3)
            return GeneralModeVoltages{byPosition(common4), {true, true, true}, {true, throttleOn, true}};
    }
    if (f.is5700) {
        if (maxCode == 7)
            return GeneralModeVoltages{byPosition(common8), {true, true, true}, {true, true, true}};
        if (maxCode == 1)
            return GeneralModeVoltages{byPosition({130, 135}), {true, true, false}, {true, true, false}};
    }
    return std::nullopt;
}

TableWrite writeVoltages(const VoltageTable& table, const std::vector<VoltageEntry>& offered,
                         const std::array<int, 3>& selected) {
    TableWrite result;
    for (std::size_t m = 0; m < kVoltageModes.size(); ++m) {
        const auto& mode = table.modes[m];
        const int s = selected[m];
        if (!mode || s < 0 || static_cast<std::size_t>(s) >= offered.size() ||
            static_cast<std::size_t>(s) >= kListPositions)
            continue; // no choice: the pair stays as it is
        const StoredVoltage& slot = table.stored.at(mode->storedIndex);
        const VoltageEntry& chosen = offered[static_cast<std::size_t>(s)];
        result.writes.push_back(
            {slot.voltageOffset, static_cast<std::uint8_t>(chosen.voltage & 0xFF), kVoltageModes[m]});
        result.writes.push_back(
            {slot.codeOffset, static_cast<std::uint8_t>(chosen.code & 0xFF), kVoltageModes[m]});
    }
    return result;
}

} // namespace zfx
