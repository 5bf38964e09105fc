// SPDX-License-Identifier: MIT
#include "tables/card_layout.h"

#include "text/number_text.h"

#include <algorithm>

namespace zfx {

namespace {

std::string captionOf(CardField field) {
    return std::string(fieldInfo(field).caption);
}

} // namespace

std::int32_t placeWidth(PlaceKind kind) {
    if (kind == PlaceKind::LevelClock) return 4;
    return kind == PlaceKind::Byte || kind == PlaceKind::LevelVoltage || kind == PlaceKind::Percent ? 1 : 2;
}

std::string placeUnit(PlaceKind kind) {
    if (kind == PlaceKind::Percent) return " %";
    return kind == PlaceKind::HundredthsClock || kind == PlaceKind::WholeMhzClock ||
                   kind == PlaceKind::LevelClock
               ? " MHz"
               : "";
}

namespace {

// Each mode's voltage pair, then the entries no mode uses, then the highest code.
void addVoltagePlaces(const VoltageTable& table, std::vector<FieldPlace>& places) {
    std::vector<bool> used(table.stored.size(), false);
    for (std::size_t m = 0; m < kVoltageModes.size(); ++m) {
        const auto& mode = table.modes[m];
        if (!mode || mode->storedIndex >= table.stored.size()) continue;
        used[mode->storedIndex] = true;
        places.push_back({captionOf(kVoltageModes[m]),
                          kVoltageModes[m],
                          PlaceKind::VoltagePair,
                          {table.stored[mode->storedIndex].voltageOffset}});
    }
    for (std::size_t i = 0; i < table.stored.size(); ++i)
        if (!used[i])
            places.push_back({"voltage entry " + std::to_string(i + 1),
                              std::nullopt,
                              PlaceKind::VoltagePair,
                              {table.stored[i].voltageOffset},
                              {},
                              static_cast<int>(i)});
    places.push_back({"highest voltage code", std::nullopt, PlaceKind::Byte, {table.maxCodeOffset}});
}

} // namespace

std::vector<FieldPlace> cardLayout(const CardData& data) {
    std::vector<FieldPlace> places;
    if (data.voltages.table) addVoltagePlaces(*data.voltages.table, places);
    if (data.clocks.table) {
        const ClockTable& table = *data.clocks.table;
        const PlaceKind kind = table.hundredths ? PlaceKind::HundredthsClock : PlaceKind::WholeMhzClock;
        for (const CardField field : kClockFields) {
            std::vector<std::int32_t> offsets = clockOffsets(table, field);
            if (!offsets.empty()) places.push_back({captionOf(field), field, kind, std::move(offsets)});
        }
    }
    if (data.timings.timings) {
        for (const CardField field : kTimingFields) {
            std::vector<std::int32_t> offsets = timingOffsets(*data.timings.timings, field);
            if (!offsets.empty())
                places.push_back({captionOf(field), field, PlaceKind::Byte, std::move(offsets)});
        }
    }
    return places;
}

std::string valueAt(const FieldPlace& place, const BiosImage& image, std::size_t copy) {
    if (copy >= place.offsets.size()) return {};
    const std::int32_t at = place.offsets[copy];
    switch (place.kind) {
    case PlaceKind::HundredthsClock:
        return hundredthsText(image.word(at));
    case PlaceKind::WholeMhzClock:
        return std::to_string(image.word(at));
    case PlaceKind::VoltagePair:
        return shortVoltsText(image.at(at)) + ", code " + std::to_string(image.at(at + 1));
    case PlaceKind::LevelVoltage:
        return shortVoltsText(image.at(at));
    case PlaceKind::LevelClock:
        return hundredthsText(static_cast<std::uint32_t>(image.word(at)) |
                              (static_cast<std::uint32_t>(image.word(at + 2)) << 16));
    case PlaceKind::Percent:
    case PlaceKind::Byte:
        return std::to_string(image.at(at));
    }
    return {};
}

std::string valueOf(const FieldPlace& place, const BiosImage& image) {
    std::vector<std::string> distinct;
    for (std::size_t i = 0; i < place.offsets.size(); ++i) {
        std::string value = valueAt(place, image, i);
        if (std::find(distinct.begin(), distinct.end(), value) == distinct.end())
            distinct.push_back(std::move(value));
    }
    std::string text;
    for (const std::string& value : distinct)
        text += (text.empty() ? "" : "/") + value;
    return text;
}

std::string offsetsText(const std::vector<std::int32_t>& offsets) {
    std::string text;
    for (const std::int32_t offset : offsets)
        text += (text.empty() ? "" : ", ") + hexOffset(offset);
    return text;
}

std::string levelsText(const std::vector<std::uint8_t>& levels) {
    std::vector<std::pair<std::uint8_t, std::size_t>> counts; // in the order of first appearance
    for (const std::uint8_t id : levels) {
        const auto known =
            std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == id; });
        if (known == counts.end())
            counts.emplace_back(id, 1);
        else
            ++known->second;
    }
    if (counts.empty()) return {};
    if (counts.size() == 1 && counts.front().second == 1) return "level " + hexByte(counts.front().first);
    const bool even = std::all_of(counts.begin(), counts.end(),
                                  [&](const auto& c) { return c.second == counts.front().second; });
    auto copies = [](std::size_t n) { return std::to_string(n) + (n == 1 ? " copy" : " copies"); };
    std::string text = counts.size() == 1 ? "level " : "levels ";
    for (std::size_t i = 0; i < counts.size(); ++i) {
        text += (i == 0 ? "" : ", ") + hexByte(counts[i].first);
        if (!even) text += " (" + copies(counts[i].second) + ")";
    }
    if (even && counts.front().second > 1)
        text += ", " + copies(counts.front().second) + (counts.size() == 1 ? "" : " each");
    return text;
}

std::string placeText(const FieldPlace& place) {
    if (place.offsets.empty()) return place.caption + ": not found in this image";
    if (!place.levels.empty()) {
        const std::string where = place.offsets.size() == 1
                                      ? hexOffset(place.offsets.front())
                                      : std::to_string(place.offsets.size()) + " fields, " +
                                            hexOffset(place.offsets.front()) + " to " +
                                            hexOffset(place.offsets.back());
        return place.caption + ": " + where + " (" + levelsText(place.levels) + ")";
    }
    if (place.kind == PlaceKind::VoltagePair && place.offsets.size() == 1)
        return place.caption + ": voltage at " + hexOffset(place.offsets.front()) + ", code at " +
               hexOffset(place.offsets.front() + 1);
    if (place.offsets.size() == 1) return place.caption + ": " + hexOffset(place.offsets.front());
    return place.caption + ": " + std::to_string(place.offsets.size()) + " fields, " +
           hexOffset(place.offsets.front()) + " to " + hexOffset(place.offsets.back());
}

} // namespace zfx
