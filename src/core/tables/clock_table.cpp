// SPDX-License-Identifier: MIT
#include "tables/clock_table.h"

#include "text/number_text.h"

#include <algorithm>
#include <array>

namespace zfx {

namespace {

constexpr const char* kNoClockTable = "Couldnt find Clockrates. ;(";

using F = CardField;
using Slots = std::vector<ClockSlot>;

// A memory clock is written into eight fields 4 bytes apart.
void addEightSlots(Slots& slots, CardField field, std::int32_t first) {
    for (std::int32_t i = 0; i < 8; ++i)
        slots.push_back({field, first + 4 * i});
}

// Offsets from the base: what the reader shows and what the write-back stores, in order.
struct ClockLayout {
    Slots reads;
    Slots writes;
};

// Where a family's table starts, as its marker gives it.
struct ClockMarker {
    std::int32_t base = 0;
    std::int32_t notFound = 0;       // what base holds when no marker was found
    bool recordedBeforeTest = false; // the offset is recorded even where no table follows it
    bool stride56 = false;           // a 5600 whose entries lie 56 bytes apart behind 40 01 20
};

// The 5200, 5500 and 5600 Ultra: 18 02 20, or 18 20 a byte later.
ClockMarker markerOf1802(const BiosImage& image) {
    std::int32_t b = image.findPattern("180220");
    if (b == 0) b = image.findPattern("1820") - 1;
    return ClockMarker{b, -1};
}

ClockLayout layout5700LE(const ClockMarker&, const CardFlags&, bool) {
    ClockLayout l;
    l.reads = {{F::Core2D, 3}, {F::Mem2D, 7}, {F::Core3D, 60}, {F::Mem3D, 64}};
    l.writes = {{F::Core3D, 60}};
    addEightSlots(l.writes, F::Mem3D, 64);
    l.writes.push_back({F::Core2D, 3});
    addEightSlots(l.writes, F::Mem2D, 7);
    return l;
}

ClockLayout layout5800(const ClockMarker&, const CardFlags&, bool) {
    ClockLayout l;
    l.reads = {{F::Core2D, 3},       {F::Mem2D, 7},    {F::CoreThrottle, 59},
               {F::MemThrottle, 63}, {F::Core3D, 115}, {F::Mem3D, 119}};
    l.writes = {{F::Core2D, 3}};
    addEightSlots(l.writes, F::Mem2D, 7);
    l.writes.push_back({F::CoreThrottle, 59});
    addEightSlots(l.writes, F::MemThrottle, 63);
    l.writes.push_back({F::Core3D, 115});
    addEightSlots(l.writes, F::Mem3D, 119);
    return l;
}

ClockLayout layout5200(const ClockMarker&, const CardFlags&, bool) {
    ClockLayout l;
    l.reads = {{F::Core3D, 3}, {F::Mem3D, 7}};
    l.writes = {{F::Core3D, 3}};
    addEightSlots(l.writes, F::Mem3D, 7);
    return l;
}

// Its 3D and throttle cores lie the other way round from the 5600 and 5900, and its one memory
// clock is read from the last of the first entry's eight slots.
ClockLayout layout5600Ultra(const ClockMarker&, const CardFlags&, bool) {
    ClockLayout l;
    l.reads = {{F::Core2D, 3}, {F::Mem2D, 35}, {F::CoreThrottle, 117}, {F::Core3D, 60}};
    l.writes = {{F::Core3D, 60}, {F::CoreThrottle, 117}, {F::Core2D, 3}};
    addEightSlots(l.writes, F::Mem2D, 7);
    return l;
}

// The 5600 writes its one memory clock into each of its three entries.
ClockLayout layout5600(const ClockMarker& marker, const CardFlags&, bool) {
    if (marker.stride56)
        return {{{F::Core2D, 2}, {F::Mem2D, 34}, {F::CoreThrottle, 58}, {F::Core3D, 114}},
                {{F::Core2D, 2},
                 {F::Mem2D, 34},
                 {F::CoreThrottle, 58},
                 {F::Core3D, 114},
                 {F::Mem2D, 90},
                 {F::Mem2D, 146}}};
    return {{{F::Core2D, 2}, {F::Mem2D, 34}, {F::CoreThrottle, 59}, {F::Core3D, 116}},
            {{F::Core3D, 116},
             {F::CoreThrottle, 59},
             {F::Core2D, 2},
             {F::Mem2D, 34},
             {F::Mem2D, 91},
             {F::Mem2D, 148}}};
}

ClockLayout layout5900(const ClockMarker&, const CardFlags&, bool) {
    ClockLayout l;
    l.reads = {{F::Core2D, 3}, {F::Mem2D, 7}, {F::CoreThrottle, 60}, {F::Core3D, 117}};
    l.writes = {{F::Core3D, 117}, {F::CoreThrottle, 60}, {F::Core2D, 3}};
    addEightSlots(l.writes, F::Mem2D, 7);
    return l;
}

// The 6800 keeps two (core, memory) pairs, at +8/+13 and +38/+43. Reference boards keep the 2D
// clocks in the first pair, vendor boards in the second.
ClockLayout layout6800(const ClockMarker&, const CardFlags& f, bool reference) {
    if (f.is6800GT) return {{{F::Core3D, 8}, {F::Mem3D, 13}}, {{F::Core3D, 8}, {F::Mem3D, 13}}};
    if (f.is6800Plain)
        return {{{F::Core3D, 8}, {F::Mem3D, 13}, {F::Core2D, 38}},
                {{F::Core3D, 8}, {F::Mem3D, 13}, {F::Core2D, 38}}};
    const Slots vendorOrder{{F::Core2D, 38}, {F::Mem2D, 43}, {F::Core3D, 8}, {F::Mem3D, 13}};
    if (!reference) return {{{F::Core3D, 8}, {F::Mem3D, 13}, {F::Core2D, 38}, {F::Mem2D, 43}}, vendorOrder};
    Slots writes = vendorOrder;
    for (const ClockSlot& slot : Slots{{F::Core3D, 38}, {F::Mem3D, 43}, {F::Core2D, 8}, {F::Mem2D, 13}})
        writes.push_back(slot);
    return {{{F::Core3D, 38}, {F::Mem3D, 43}, {F::Core2D, 8}, {F::Mem2D, 13}}, writes};
}

bool isReferenceImage(const std::string& vendorName) {
    return vendorName == "<unknown>" || vendorName == "Nvidia";
}

// Every byte the layout reads or writes, from b, lies inside the image.
bool layoutInside(const ClockLayout& layout, const BiosImage& image, std::int32_t b) {
    std::int64_t lowest = 0;
    std::int64_t highest = 0;
    for (const Slots* slots : {&layout.reads, &layout.writes})
        for (const ClockSlot& slot : *slots) {
            lowest = std::min<std::int64_t>(lowest, slot.offset);
            highest = std::max<std::int64_t>(highest, slot.offset + 1);
        }
    return image.contains(static_cast<std::int64_t>(b) + lowest, static_cast<std::int64_t>(b) + highest);
}

// Each family's marker and, beside it, the layout behind the marker.
struct FamilyClocks {
    ClockFamily family;
    ClockMarker (*findMarker)(const BiosImage&);
    // The layout behind the marker, for the board's flags and whether it is a reference board.
    ClockLayout (*layout)(const ClockMarker&, const CardFlags&, bool reference);
};

const std::array<FamilyClocks, 7> kFamilyClocks{{
    {ClockFamily::FX5700LE, [](const BiosImage& image) { return ClockMarker{image.findPattern("000220")}; },
     layout5700LE},
    {ClockFamily::FX5800,
     [](const BiosImage& image) {
         std::int32_t b = image.findPattern("895520");
         if (b == 0) b = image.findPattern("895500") + 1;
         return ClockMarker{b, 1};
     },
     layout5800},
    {ClockFamily::FX5200, [](const BiosImage& image) { return markerOf1802(image); }, layout5200},
    {ClockFamily::FX5600Ultra, [](const BiosImage& image) { return markerOf1802(image); }, layout5600Ultra},
    {ClockFamily::FX5600,
     [](const BiosImage& image) {
         ClockMarker marker{image.findPattern("180220") + 1, 1, true};
         if (marker.base == 1) marker.base = image.findPattern("1820");
         if (marker.base == 0) {
             const std::int32_t m = image.findPattern("400120");
             marker.base = m + 1;
             marker.stride56 = m != 0;
         }
         return marker;
     },
     layout5600},
    {ClockFamily::GF6800,
     [](const BiosImage& image) {
         return ClockMarker{image.findPattern("180220FF"), 0, true};
     },
     layout6800},
    {ClockFamily::FX5900,
     [](const BiosImage& image) {
         return ClockMarker{image.findPattern("180220"), 0, true};
     },
     layout5900},
}};

const FamilyClocks& familyClocks(ClockFamily family) {
    return *std::find_if(kFamilyClocks.begin(), kFamilyClocks.end(),
                         [&](const FamilyClocks& clocks) { return clocks.family == family; });
}

} // namespace

ClockFamily clockFamilyOf(const CardFlags& f) {
    if (f.is5700LE) return ClockFamily::FX5700LE;
    if (f.is5800 || f.isQuadroFX1000_2000) return ClockFamily::FX5800;
    if (f.is5200 || f.is5500) return ClockFamily::FX5200;
    if (f.is5600Ultra) return ClockFamily::FX5600Ultra;
    if (f.is5600) return ClockFamily::FX5600;
    if (f.is6800) return ClockFamily::GF6800;
    if (f.is5900 || f.is5700 || f.isQuadroFX3000) return ClockFamily::FX5900;
    return ClockFamily::None;
}

std::int32_t maxClockMhz(ClockFamily family) {
    return family == ClockFamily::GF6800 ? 65535 : 655;
}

ClockTableRead readClockTable(const BiosImage& image, const CardFlags& flags, const std::string& vendorName) {
    ClockTableRead read;
    read.family = clockFamilyOf(flags);
    if (read.family == ClockFamily::None) return read;

    const FamilyClocks& clocks = familyClocks(read.family);
    const ClockMarker marker = clocks.findMarker(image);
    const std::int32_t b = marker.base;
    const ClockLayout layout = clocks.layout(marker, flags, isReferenceImage(vendorName));
    for (const ClockSlot& slot : layout.writes)
        read.writeOrder.push_back(slot.field);
    if (marker.recordedBeforeTest) read.recordedOffset = b;
    // A marker so near the end that the table would run past it is no table.
    if (b == marker.notFound || !layoutInside(layout, image, b)) {
        read.notFound = b == marker.notFound ? "the family's marker is not in the image"
                                             : "the table behind the marker runs past the end of the image";
        read.messages.emplace_back(kNoClockTable);
        return read;
    }
    read.recordedOffset = b;

    ClockTable t;
    t.family = read.family;
    t.base = b;
    t.stride56 = marker.stride56;
    t.hundredths = read.family != ClockFamily::GF6800;
    for (const ClockSlot& slot : layout.reads) {
        const std::int32_t at = b + slot.offset;
        const std::uint16_t stored = image.word(at);
        t.shown.push_back({slot.field, at, stored, t.hundredths ? hundredthsToMhz(stored) : stored});
    }
    for (const ClockSlot& slot : layout.writes)
        t.writes.push_back({slot.field, b + slot.offset});
    read.table = std::move(t);
    return read;
}

std::vector<std::int32_t> clockOffsets(const ClockTable& table, CardField field) {
    std::vector<std::int32_t> offsets;
    for (const ShownClock& shown : table.shown)
        if (shown.field == field) offsets.push_back(shown.offset);
    for (const ClockSlot& slot : table.writes)
        if (slot.field == field) offsets.push_back(slot.offset);
    return ascendingOnce(std::move(offsets));
}

TableWrite writeClocks(const ClockTableRead& read, const FieldTexts& texts) {
    TableWrite result;
    if (read.family == ClockFamily::None) return result;
    const bool hundredths = read.family != ClockFamily::GF6800;
    const std::int32_t maxMhz = maxClockMhz(read.family);
    for (std::size_t i = 0; i < read.writeOrder.size(); ++i) {
        const CardField field = read.writeOrder[i];
        const auto given = texts.find(field);
        if (given == texts.end()) continue; // the box was left alone: its bytes stay
        const std::string& text = given->second;
        const auto mhz = textToInt(text);
        if (!mhz || *mhz < 0 || *mhz > maxMhz) {
            const auto kind = mhz ? ValueFailure::Kind::OutOfRange : ValueFailure::Kind::NotANumber;
            result.writes.clear();
            result.failure = ValueFailure{field, kind, text, maxMhz, {}};
            return result;
        }
        if (!read.table) continue;
        const std::int32_t at = read.table->writes[i].offset;
        // A slot that a later field of the order writes too ends up holding that field's value:
        // a reference 6800 writes its pairs as the vendor boards' first, then as its own. When
        // that later field was left alone, its bytes keep what they hold.
        const auto later = read.table->writes.begin() + static_cast<std::ptrdiff_t>(i) + 1;
        if (std::any_of(later, read.table->writes.end(), [&](const ClockSlot& s) { return s.offset == at; }))
            continue;
        const std::int32_t value = hundredths ? *mhz * 100 : *mhz;
        result.writes.push_back({at, static_cast<std::uint8_t>(value & 0xFF), field});
        result.writes.push_back({at + 1, static_cast<std::uint8_t>((value >> 8) & 0xFF), field});
    }
    return result;
}

} // namespace zfx
