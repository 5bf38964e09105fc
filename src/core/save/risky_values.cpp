// SPDX-License-Identifier: MIT
#include "save/risky_values.h"

#include "text/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace zfx {

namespace {

bool isMemoryClock(CardField field) {
    return field == CardField::Mem2D || field == CardField::MemThrottle || field == CardField::Mem3D;
}

// "2.2": a ratio with one decimal.
std::string ratioText(double ratio) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%.1f", ratio);
    return text.data();
}

// The clock the file holds for a field, as the window showed it.
std::optional<std::int32_t> fileClock(const ClockTableRead& clocks, CardField field) {
    if (!clocks.table) return std::nullopt;
    for (const ShownClock& shown : clocks.table->shown)
        if (shown.field == field) return shown.mhz;
    return std::nullopt;
}

std::optional<std::string> riskyClock(const std::string& caption, bool memoryClock, std::int32_t was,
                                      std::int32_t now, const RiskLimits& limits) {
    if (was <= 0 || now == was) return std::nullopt;
    if (now == 0) return caption + ": 0 MHz stops the clock; the file's is " + std::to_string(was) + " MHz.";
    if (now < was) {
        if (now >= was * limits.clockFall) return std::nullopt;
        const double fall = 1.0 - static_cast<double>(now) / was;
        return caption + ": " + std::to_string(now) + " MHz is " +
               std::to_string(static_cast<int>(std::lround(fall * 100))) + "% below the file's " +
               std::to_string(was) + " MHz. Was a digit left out?";
    }
    const double ratio = static_cast<double>(now) / was;
    const std::string values = std::to_string(now) + " MHz is ";
    const std::string file = "the file's " + std::to_string(was) + " MHz";
    if (memoryClock && ratio >= limits.ddrLow && ratio <= limits.ddrHigh)
        return caption + ": " + values + ratioText(ratio) + " times " + file +
               ". Is it the effective (DDR) rate? The box takes the real clock, half of that rate.";
    if (ratio > 1.0 + limits.clockRise)
        return caption + ": " + values + std::to_string(static_cast<int>(std::lround((ratio - 1.0) * 100))) +
               "% above " + file + ".";
    return std::nullopt;
}

} // namespace

std::vector<std::string> riskyValues(const CardData& shown, const VoltageTableRead& imageTable,
                                     const SaveEdits& edits, const RiskLimits& limits) {
    std::vector<std::string> lines;
    if (imageTable.table && !imageTable.table->stored.empty()) {
        const auto highest = std::max_element(
            imageTable.table->stored.begin(), imageTable.table->stored.end(),
            [](const StoredVoltage& a, const StoredVoltage& b) { return a.entry.voltage < b.entry.voltage; });
        const std::int32_t top = highest->entry.voltage;
        for (std::size_t m = 0; m < kVoltageModes.size(); ++m) {
            const int position = edits.selections[m];
            if (position < 0 || static_cast<std::size_t>(position) >= edits.offered.size()) continue;
            const std::int32_t chosen = edits.offered[static_cast<std::size_t>(position)].voltage;
            if (chosen > top)
                lines.push_back(std::string(fieldInfo(kVoltageModes[m]).caption) + ": " +
                                voltsText(static_cast<std::uint32_t>(chosen)) + " is above " +
                                voltsText(static_cast<std::uint32_t>(top)) +
                                ", the highest voltage of this card's own table.");
        }
    }
    for (const CardField field : kClockFields) {
        const auto given = edits.texts.find(field);
        if (given == edits.texts.end()) continue;
        const auto now = textToInt(given->second);
        const auto was = fileClock(shown.clocks, field);
        if (!now || !was) continue;
        if (auto line =
                riskyClock(std::string(fieldInfo(field).caption), isMemoryClock(field), *was, *now, limits))
            lines.push_back(std::move(*line));
    }
    return lines;
}

std::vector<std::string> riskyLevelValues(const EditableLevels& levels,
                                          const std::map<LevelCell, std::string>& texts,
                                          const RiskLimits& limits) {
    std::vector<std::string> lines;
    for (const auto& [cell, text] : texts) {
        const LevelValueRead now = readLevelValue(levels, cell, text);
        const std::optional<std::uint32_t> was = fileValue(levels, cell);
        if (!now.stored || !was || *now.stored == *was) continue;
        const std::string caption = levelCellCaption(cell);
        if (cell.field == LevelField::Fan) {
            if (*now.stored < *was)
                lines.push_back(caption + ": " + std::to_string(*now.stored) + " % is below the file's " +
                                std::to_string(*was) + " %; a slower fan lets the card run hotter.");
            continue;
        }
        if (cell.field == LevelField::Voltage) continue; // only the table's voltages are taken
        const auto mhz = [&](std::uint32_t stored) {
            return levels.hundredths ? hundredthsToMhz(stored) : static_cast<std::int32_t>(stored);
        };
        const bool memory = cell.field != LevelField::Core;
        // A clock raised by less than a whole MHz is no risk, and a value 0 still stops the clock.
        const std::int32_t nowMhz = *now.stored == 0 ? 0 : std::max(mhz(*now.stored), 1);
        if (auto line = riskyClock(caption, memory, mhz(*was), nowMhz, limits))
            lines.push_back(std::move(*line));
    }
    return lines;
}

} // namespace zfx
