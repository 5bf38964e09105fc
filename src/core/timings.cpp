// SPDX-License-Identifier: MIT
// Memory timings: Timing A sits in a table of eight 4-byte entries found behind the pattern
// 04 08 00 02 10 00; B to F are one byte each in the timing sets at fixed distances from the
// clock table's base.
#include "editor_model.h"
#include "number_text.h"

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
    const std::int64_t last = first + kTimingAStride * (kTimingAEntries - 1);
    if (!image.contains(first, last)) return std::nullopt;
    return static_cast<std::int32_t>(first);
}

std::string timingName(int edit) {
    return std::string("Timing ") + static_cast<char>('A' + (edit - 7)) + " (Edit" + std::to_string(edit) +
           ")";
}

} // namespace

void EditorModel::CheckBox2Click() {
    CardState& c = m_card;
    if (m_form.check(2).ticked) {
        if (!c.timingWarningShown) m_host.showDialog(Dialog::Form4);
        c.timingWarningShown = true;
        c.timingEditActive = true;
        for (int n = 7; n <= 12; ++n)
            setEditEnabled(n, true);
        gettimings();
    } else {
        c.timingEditActive = false;
        for (int n = 7; n <= 12; ++n)
            setEditEnabled(n, false);
        for (int n = 7; n <= 12; ++n)
            setEditText(n, "-");
    }
}

void EditorModel::gettimings() {
    CardState& c = m_card;
    const auto layout = timingLayoutFor(c.flags, c.clockTableStride56);
    if (!layout) return;
    const BiosImage& image = c.image;
    const std::int64_t k = c.clockTableOffset;

    bool reported = false;
    auto reportNotFound = [&] {
        if (!reported) showMessage(kNoTimings);
        reported = true;
    };
    // The sets hang off this image's clock table; without one they have no place.
    c.timingSetsAvailable = c.clockTableFound;
    for (const std::int32_t base : layout->writeBases)
        c.timingSetsAvailable =
            c.timingSetsAvailable && image.contains(k + base, k + base + kSetOffsets.back());
    auto disableSets = [&] {
        for (int n = 8; n <= 12; ++n)
            setEditEnabled(n, false);
    };

    if (layout->timingA == TimingAPlace::None) {
        setEditEnabled(7, false);
    } else {
        const std::int32_t p = image.findPattern(kTimingPattern);
        c.pcirOffset = p;
        const auto table = timingATable(image, c.flags, layout->timingA, p);
        if (!table) {
            reportNotFound();
            c.timingAAvailable = false;
            setEditEnabled(7, false);
            // B to F are not read; they stay "-" for the user to fill, where they can be written.
            if (!c.timingSetsAvailable) disableSets();
            return;
        }
        c.timingAAvailable = true;
        c.timingAOffset = *table;
        for (std::int32_t i = 0; i < kTimingAEntries; ++i) {
            if (image.at(*table + kTimingAStride * i) != image.at(*table)) {
                showMessage(kNotUnified);
                c.timingAAvailable = false;
                setEditEnabled(7, false);
                break;
            }
        }
        if (c.timingAAvailable) setEditText(7, std::to_string(image.at(*table)));
    }

    if (!c.timingSetsAvailable) {
        // A clock table too near the end for the sets; a missing one was reported already.
        if (c.clockTableFound) reportNotFound();
        disableSets();
        return;
    }
    for (std::size_t i = 0; i < kSetOffsets.size(); ++i)
        setEditText(8 + static_cast<int>(i), std::to_string(image.at(k + layout->readBase + kSetOffsets[i])));
}

std::optional<std::string> EditorModel::timingWriteBack(std::vector<ByteWrite>& writes) const {
    const CardState& c = m_card;
    const auto layout = timingLayoutFor(c.flags, c.clockTableStride56);
    if (!layout) return std::nullopt;
    std::optional<std::string> failure;
    auto convert = [&](int edit) -> std::uint8_t {
        const std::string& text = m_form.edit(edit).text;
        const auto value = textToInt(text);
        if (!value)
            failure = timingName(edit) + " holds \"" + text + "\", which is not a whole number.";
        else if (*value < 0 || *value > 255)
            failure = timingName(edit) + " is " + text + "; it must be 0 to 255.";
        return failure ? 0 : static_cast<std::uint8_t>(*value);
    };
    if (layout->timingA != TimingAPlace::None && c.timingAAvailable) {
        const std::uint8_t value = convert(7);
        if (failure) return failure;
        for (std::int32_t i = 0; i < kTimingAEntries; ++i)
            writes.push_back({c.timingAOffset + kTimingAStride * i, value});
    }
    if (!c.timingSetsAvailable) return std::nullopt;
    for (const std::int32_t base : layout->writeBases) {
        for (std::size_t i = 0; i < kSetOffsets.size(); ++i) {
            const std::uint8_t value = convert(8 + static_cast<int>(i));
            if (failure) return failure;
            writes.push_back({c.clockTableOffset + base + kSetOffsets[i], value});
        }
    }
    return std::nullopt;
}

} // namespace zfx
