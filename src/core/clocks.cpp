// SPDX-License-Identifier: MIT
// The clock-rate table: each family marks it with its own short byte pattern and keeps its
// 16-bit little-endian clocks at fixed distances from the base b derived from that marker. FX
// cards store hundredths of a MHz, the 6800 whole MHz.
#include "editor_model.h"
#include "number_text.h"

#include <algorithm>

namespace zfx {

namespace {

constexpr const char* kNoClockTable = "Couldnt find Clockrates. ;(";

enum class ClockFamily { None, FX5700LE, FX5800, FX5200, FX5600Ultra, FX5600, GF6800, FX5900 };

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

// One 16-bit field at b + offset, shown in or taken from edit box `edit`.
struct ClockField {
    int edit;
    std::int32_t offset;
};
using Fields = std::vector<ClockField>;

// A memory clock is written into eight fields 4 bytes apart.
void addEightSlots(Fields& fields, int edit, std::int32_t first) {
    for (std::int32_t i = 0; i < 8; ++i)
        fields.push_back({edit, first + 4 * i});
}

struct ClockLayout {
    Fields reads;  // what the reader shows
    Fields writes; // what the write-back stores, in its order
};

ClockLayout fxLayout(ClockFamily family, bool stride56) {
    ClockLayout l;
    switch (family) {
    case ClockFamily::FX5700LE:
        l.reads = {{1, 3}, {4, 7}, {3, 60}, {6, 64}};
        l.writes = {{3, 60}};
        addEightSlots(l.writes, 6, 64);
        l.writes.push_back({1, 3});
        addEightSlots(l.writes, 4, 7);
        break;
    case ClockFamily::FX5800:
        l.reads = {{1, 3}, {4, 7}, {2, 59}, {5, 63}, {3, 115}, {6, 119}};
        l.writes = {{1, 3}};
        addEightSlots(l.writes, 4, 7);
        l.writes.push_back({2, 59});
        addEightSlots(l.writes, 5, 63);
        l.writes.push_back({3, 115});
        addEightSlots(l.writes, 6, 119);
        break;
    case ClockFamily::FX5200:
        l.reads = {{3, 3}, {6, 7}};
        l.writes = {{3, 3}};
        addEightSlots(l.writes, 6, 7);
        break;
    case ClockFamily::FX5600Ultra:
        // Its 3D and throttle cores lie the other way round from the 5600 and 5900, and its one
        // memory clock is read from the last of the first entry's eight slots.
        l.reads = {{1, 3}, {4, 35}, {2, 117}, {3, 60}};
        l.writes = {{3, 60}, {2, 117}, {1, 3}};
        addEightSlots(l.writes, 4, 7);
        break;
    case ClockFamily::FX5600:
        // The 5600 writes its one memory clock into each of its three entries.
        if (stride56) {
            l.reads = {{1, 2}, {4, 34}, {2, 58}, {3, 114}};
            l.writes = {{1, 2}, {4, 34}, {2, 58}, {3, 114}, {4, 90}, {4, 146}};
        } else {
            l.reads = {{1, 2}, {4, 34}, {2, 59}, {3, 116}};
            l.writes = {{3, 116}, {2, 59}, {1, 2}, {4, 34}, {4, 91}, {4, 148}};
        }
        break;
    case ClockFamily::FX5900:
        l.reads = {{1, 3}, {4, 7}, {2, 60}, {3, 117}};
        l.writes = {{3, 117}, {2, 60}, {1, 3}};
        addEightSlots(l.writes, 4, 7);
        break;
    case ClockFamily::GF6800:
    case ClockFamily::None:
        break;
    }
    return l;
}

// The 6800 keeps two (core, memory) pairs, at b+8/b+13 and b+38/b+43. Reference boards keep
// the 2D clocks in the first pair, vendor boards in the second.
ClockLayout layout6800(const CardFlags& f, bool reference) {
    if (f.is6800GT) return {{{3, 8}, {6, 13}}, {{3, 8}, {6, 13}}};
    if (f.is6800Plain) return {{{3, 8}, {6, 13}, {1, 38}}, {{3, 8}, {6, 13}, {1, 38}}};
    const Fields vendorOrder{{1, 38}, {4, 43}, {3, 8}, {6, 13}};
    if (!reference) return {{{3, 8}, {6, 13}, {1, 38}, {4, 43}}, vendorOrder};
    Fields writes = vendorOrder;
    for (const ClockField& field : Fields{{3, 38}, {6, 43}, {1, 8}, {4, 13}})
        writes.push_back(field);
    return {{{3, 38}, {6, 43}, {1, 8}, {4, 13}}, writes};
}

bool isReferenceImage(const std::string& vendorName) {
    return vendorName == "<unknown>" || vendorName == "Nvidia";
}

ClockLayout layoutFor(ClockFamily family, const CardState& c) {
    return family == ClockFamily::GF6800 ? layout6800(c.flags, isReferenceImage(c.vendorName))
                                         : fxLayout(family, c.clockTableStride56);
}

// Every byte the layout reads or writes, from b, lies inside the image.
bool layoutInside(const ClockLayout& layout, const BiosImage& image, std::int32_t b) {
    std::int64_t lowest = 0;
    std::int64_t highest = 0;
    for (const Fields* fields : {&layout.reads, &layout.writes})
        for (const ClockField& field : *fields) {
            lowest = std::min<std::int64_t>(lowest, field.offset);
            highest = std::max<std::int64_t>(highest, field.offset + 1);
        }
    return image.contains(static_cast<std::int64_t>(b) + lowest, static_cast<std::int64_t>(b) + highest);
}

const char* clockFieldName(int edit) {
    switch (edit) {
    case 1:
        return "2D core clock";
    case 2:
        return "throttle core clock";
    case 3:
        return "3D core clock";
    case 4:
        return "2D memory clock";
    case 5:
        return "throttle memory clock";
    default:
        return "3D memory clock";
    }
}

} // namespace

void EditorModel::getclockrates() {
    CardState& c = m_card;
    c.clockTableStride56 = false;
    c.clockTableFound = false;
    const ClockFamily family = clockFamilyOf(c.flags);
    if (family == ClockFamily::None) return;

    const BiosImage& image = c.image;
    std::int32_t b = 0;
    std::int32_t notFound = 0;
    bool storeBeforeTest = false;
    switch (family) {
    case ClockFamily::FX5700LE:
        b = image.findPattern("000220");
        break;
    case ClockFamily::FX5800:
        b = image.findPattern("895520");
        if (b == 0) b = image.findPattern("895500") + 1;
        notFound = 1;
        break;
    case ClockFamily::FX5200:
    case ClockFamily::FX5600Ultra:
        b = image.findPattern("180220");
        if (b == 0) b = image.findPattern("1820") - 1;
        notFound = -1;
        break;
    case ClockFamily::FX5600:
        b = image.findPattern("180220") + 1;
        if (b == 1) b = image.findPattern("1820");
        if (b == 0) {
            const std::int32_t m = image.findPattern("400120");
            b = m + 1;
            c.clockTableStride56 = m != 0;
        }
        notFound = 1;
        storeBeforeTest = true;
        break;
    case ClockFamily::GF6800:
        b = image.findPattern("180220FF");
        storeBeforeTest = true;
        break;
    case ClockFamily::FX5900:
        b = image.findPattern("180220");
        storeBeforeTest = true;
        break;
    case ClockFamily::None:
        break;
    }
    c.pcirOffset = b;
    if (storeBeforeTest) c.clockTableOffset = b;
    const ClockLayout layout = layoutFor(family, c);
    // A marker so near the end that the table would run past it is no table.
    if (b == notFound || !layoutInside(layout, image, b)) {
        showMessage(kNoClockTable);
        return;
    }
    c.clockTableOffset = b;
    c.clockTableFound = true;

    const bool hundredths = family != ClockFamily::GF6800;
    for (const ClockField& field : layout.reads) {
        const std::uint16_t stored = image.word(static_cast<std::int64_t>(b) + field.offset);
        setEditText(field.edit, std::to_string(hundredths ? hundredthsToMhz(stored) : stored));
    }
    for (const ClockField& field : layout.reads)
        setEditEnabled(field.edit, true);
    if (family == ClockFamily::FX5900) {
        setEditText(5, "--");
        setEditText(6, "--");
    }
}

std::optional<std::string> EditorModel::clockWriteBack(std::vector<ByteWrite>& writes) const {
    const CardState& c = m_card;
    const ClockFamily family = clockFamilyOf(c.flags);
    if (family == ClockFamily::None) return std::nullopt;
    const bool hundredths = family != ClockFamily::GF6800;
    const std::int32_t maxMhz = hundredths ? 655 : 65535; // what fits 16 bits
    const std::int32_t b = c.clockTableOffset;
    for (const ClockField& field : layoutFor(family, c).writes) {
        const std::string& text = m_form.edit(field.edit).text;
        const auto mhz = textToInt(text);
        const std::string name =
            std::string(clockFieldName(field.edit)) + " (Edit" + std::to_string(field.edit) + ")";
        if (!mhz) return name + " holds \"" + text + "\", which is not a whole number of MHz.";
        if (*mhz < 0 || *mhz > maxMhz)
            return name + " is " + text + " MHz; it must be 0 to " + std::to_string(maxMhz) + " MHz.";
        if (!c.clockTableFound) continue;
        const std::int32_t value = hundredths ? *mhz * 100 : *mhz;
        writes.push_back({b + field.offset, static_cast<std::uint8_t>(value & 0xFF)});
        writes.push_back({b + field.offset + 1, static_cast<std::uint8_t>((value >> 8) & 0xFF)});
    }
    return std::nullopt;
}

// --- effective memory-rate labels ---

void EditorModel::setMemoryRateCaption(int edit, const std::string& caption) {
    if (edit == 6)
        m_form.StaticText20 = caption;
    else if (edit == 5)
        m_form.StaticText21 = caption;
    else
        m_form.StaticText22 = caption;
}

void EditorModel::showMemoryRate(int edit) {
    const std::string& text = m_form.edit(edit).text;
    const auto mhz = textToInt(text);
    if (!mhz) {
        // Nothing catches this conversion: it reaches the default error report.
        m_host.showMessage(Message{notAnIntegerText(text), {}, true});
        return;
    }
    setMemoryRateCaption(edit, "(" + std::to_string(2 * static_cast<std::int64_t>(*mhz)) + "Mhz DDR)");
}

void EditorModel::memoryRateChange(int edit) {
    const std::string& text = m_form.edit(edit).text;
    if (text.empty() || text == "--") return;
    showMemoryRate(edit);
}

void EditorModel::memoryRateKeyUp(int edit) {
    if (m_form.edit(edit).text.empty()) return;
    showMemoryRate(edit);
}

} // namespace zfx
