// SPDX-License-Identifier: MIT
#include "tables/memory_timings.h"

#include "text/number_text.h"

#include <algorithm>

namespace zfx {

namespace {

constexpr const char* kTimingPattern = "040800021000";
constexpr const char* kNoTimings = "Couldnt find Timing info. ;(";
constexpr const char* kNotUnified = "Timing A Table not unified. Disabling Timing A access";
// B, C, D, E, F within a set (F directly follows E).
constexpr std::array<std::int32_t, 5> kSetOffsets{0, 2, 4, 6, 7};
constexpr std::int32_t kTimingAEntries = 8;
constexpr std::int32_t kTimingAStride = 4;

enum class TimingAPlace { None, AfterPattern9, AfterPattern51 };

struct TimingLayout {
    TimingAPlace timingA = TimingAPlace::None;
    std::int32_t readBase = 0;
    std::vector<std::int32_t> writeBases;
};

std::optional<TimingLayout> timingLayoutFor(const CardFlags& f, bool stride56) {
    if (f.is5800 || f.isQuadroFX1000_2000) return TimingLayout{TimingAPlace::None, 160, {160}};
    if (f.is5900 || f.isQuadroFX3000) return TimingLayout{TimingAPlace::AfterPattern9, 46, {46, 103, 160}};
    if (f.is5200 || f.is5500) return TimingLayout{TimingAPlace::None, 46, {46}};
    // The 5600's sets start one byte lower; with its entries 56 bytes apart only the first set
    // is where the others expect it.
    if (f.is5600)
        return TimingLayout{TimingAPlace::AfterPattern51, 45,
                            stride56 ? std::vector<std::int32_t>{45}
                                     : std::vector<std::int32_t>{45, 102, 159}};
    if (f.is5700LE) return TimingLayout{TimingAPlace::None, 46, {46}};
    if (f.is5700) return TimingLayout{TimingAPlace::AfterPattern51, 46, {46, 103, 160}};
    return std::nullopt;
}

// Where the Timing A table starts behind the pattern at p, if it lies inside the image.
std::optional<std::int32_t> timingATable(const BiosImage& image, const CardFlags& f, TimingAPlace place,
                                         std::int32_t p) {
    if (p == 0) return std::nullopt;
    std::int64_t first = static_cast<std::int64_t>(p) + 51;
    if (place == TimingAPlace::AfterPattern9) {
        if (!image.contains(p + 9LL, p + 9LL)) return std::nullopt;
        first = p + 9LL;
        if (image.at(first) == 3) first = p + 81LL;
        if (f.is5900XT) first = p + 81LL;
    }
    const std::int64_t last = first + std::int64_t{kTimingAStride} * (kTimingAEntries - 1);
    if (!image.contains(first, last)) return std::nullopt;
    return static_cast<std::int32_t>(first);
}

} // namespace

MemoryTimingsRead readMemoryTimings(const BiosImage& image, const CardFlags& flags,
                                    const ClockTableRead& clocks) {
    MemoryTimingsRead read;
    const ClockTable* clockTable = clocks.table ? &*clocks.table : nullptr;
    const auto layout = timingLayoutFor(flags, clockTable && clockTable->stride56);
    if (!layout) return read;
    MemoryTimings t;
    const std::int64_t k = clockTable ? clockTable->base : 0;
    t.setsAvailable = clockTable != nullptr;
    for (const std::int32_t base : layout->writeBases) {
        t.setsAvailable = t.setsAvailable && image.contains(k + base, k + base + kSetOffsets.back());
        t.setBases.push_back(static_cast<std::int32_t>(k + base));
    }

    if (layout->timingA != TimingAPlace::None) {
        const std::int32_t p = image.findPattern(kTimingPattern);
        const auto table = timingATable(image, flags, layout->timingA, p);
        if (!table) {
            // B to F are not read; they stay for the user to fill, where they can be written.
            t.timingA = TimingAState::NotFound;
            read.messages.emplace_back(kNoTimings);
            read.timings = std::move(t);
            return read;
        }
        t.timingA = TimingAState::Found;
        t.timingAOffset = *table;
        for (std::int32_t i = 0; i < kTimingAEntries; ++i) {
            const auto at = static_cast<std::size_t>(i);
            t.timingAOffsets[at] = *table + kTimingAStride * i;
            t.timingAValues[at] = image.at(t.timingAOffsets[at]);
        }
        for (const std::uint8_t value : t.timingAValues)
            if (value != t.timingAValues[0]) {
                t.timingA = TimingAState::NotUnified;
                read.messages.emplace_back(kNotUnified);
                break;
            }
    }

    if (!t.setsAvailable) {
        // A clock table too near the end for the sets; a missing one was reported already.
        if (clockTable) read.messages.emplace_back(kNoTimings);
    } else {
        for (std::size_t i = 0; i < kSetOffsets.size(); ++i) {
            const auto at = static_cast<std::int32_t>(k + layout->readBase + kSetOffsets[i]);
            t.shown.push_back({kTimingSetFields[i], at, image.at(at)});
        }
    }
    read.timings = std::move(t);
    return read;
}

std::vector<std::int32_t> timingOffsets(const MemoryTimings& timings, CardField field) {
    std::vector<std::int32_t> offsets;
    if (field == CardField::TimingA) {
        if (timings.timingA == TimingAState::Found || timings.timingA == TimingAState::NotUnified)
            offsets.assign(timings.timingAOffsets.begin(), timings.timingAOffsets.end());
        return offsets;
    }
    const auto at = std::find(kTimingSetFields.begin(), kTimingSetFields.end(), field);
    if (at == kTimingSetFields.end()) return offsets;
    const std::int32_t within = kSetOffsets[static_cast<std::size_t>(at - kTimingSetFields.begin())];
    if (timings.setsAvailable)
        for (const std::int32_t base : timings.setBases)
            offsets.push_back(base + within);
    for (const TimingByte& shown : timings.shown)
        if (shown.field == field) offsets.push_back(shown.offset);
    return ascendingOnce(std::move(offsets));
}

TableWrite writeMemoryTimings(const MemoryTimings& timings, const FieldTexts& texts) {
    TableWrite result;
    // A field not given was left alone: nothing is written, and an absent value is no failure.
    auto given = [&](CardField field) { return texts.count(field) != 0; };
    auto convert = [&](CardField field) -> std::optional<std::uint8_t> {
        const std::string& text = texts.at(field);
        const auto value = textToInt(text);
        if (value && *value >= 0 && *value <= 255) return static_cast<std::uint8_t>(*value);
        result.failure = ValueFailure{
            field, value ? ValueFailure::Kind::OutOfRange : ValueFailure::Kind::NotANumber, text, 255, {}};
        result.writes.clear();
        return std::nullopt;
    };
    if (timings.timingA == TimingAState::Found && given(CardField::TimingA)) {
        const auto value = convert(CardField::TimingA);
        if (!value) return result;
        for (const std::int32_t at : timings.timingAOffsets)
            result.writes.push_back({at, *value, CardField::TimingA});
    }
    if (!timings.setsAvailable) return result;
    for (const std::int32_t base : timings.setBases) {
        for (std::size_t i = 0; i < kSetOffsets.size(); ++i) {
            if (!given(kTimingSetFields[i])) continue;
            const auto value = convert(kTimingSetFields[i]);
            if (!value) return result;
            result.writes.push_back({base + kSetOffsets[i], *value, kTimingSetFields[i]});
        }
    }
    return result;
}

} // namespace zfx
