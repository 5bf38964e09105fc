// SPDX-License-Identifier: MIT
#include "tables/memory_timings.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

namespace zfx {
namespace {

using Bytes = std::vector<std::uint8_t>;
using F = CardField;

constexpr std::size_t kPattern = 0x1800;
constexpr std::size_t kMarker = 0x2000;

// A 5900 image: the timing pattern at 0x1800 with Timing A at +9, and the clock marker at 0x2000.
Bytes fx5900Image(std::uint8_t timingA = 0x44, std::size_t size = 65536) {
    Bytes bytes(size, 0);
    const Bytes pattern{0x04, 0x08, 0x00, 0x02, 0x10, 0x00};
    std::copy(pattern.begin(), pattern.end(), bytes.begin() + kPattern);
    for (std::size_t i = 0; i < 8; ++i)
        bytes[kPattern + 9 + 4 * i] = timingA;
    bytes[kMarker] = 0x18;
    bytes[kMarker + 1] = 0x02;
    bytes[kMarker + 2] = 0x20;
    for (std::size_t i = 0; i < 8; ++i)
        bytes[kMarker + 46 + i] = static_cast<std::uint8_t>(10 + i); // B at +46 .. F at +53
    return bytes;
}

MemoryTimingsRead readAll(const Bytes& bytes, const std::string& deviceText) {
    const BiosImage image(bytes);
    const CardFlags flags = flagsForDevice(deviceText);
    return readMemoryTimings(image, flags, readClockTable(image, flags, "Asus"));
}

TEST(MemoryTimingsRead, TimingAIsEightBytesFourApartAndBToFLieBehindTheClockBase) {
    const auto read = readAll(fx5900Image(), "3003");
    ASSERT_TRUE(read.timings);
    EXPECT_TRUE(read.messages.empty());
    const MemoryTimings& t = *read.timings;
    EXPECT_EQ(t.timingA, TimingAState::Found);
    EXPECT_EQ(t.timingAOffset, 0x1809);
    EXPECT_EQ(t.timingAOffsets,
              (std::array<std::int32_t, 8>{0x1809, 0x180D, 0x1811, 0x1815, 0x1819, 0x181D, 0x1821, 0x1825}));
    EXPECT_EQ(t.timingAValues[7], 0x44);
    ASSERT_TRUE(t.setsAvailable);
    // B, C, D, E at +0, +2, +4, +6 of the set, F directly after E.
    ASSERT_EQ(t.shown.size(), 5u);
    const std::array<std::int32_t, 5> offsets{0x202E, 0x2030, 0x2032, 0x2034, 0x2035};
    const std::array<std::uint8_t, 5> values{10, 12, 14, 16, 17};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(t.shown[i].field, kTimingSetFields[i]);
        EXPECT_EQ(t.shown[i].offset, offsets[i]);
        EXPECT_EQ(t.shown[i].value, values[i]);
    }
    EXPECT_EQ(t.setBases, (std::vector<std::int32_t>{0x202E, 0x2067, 0x20A0}));
}

TEST(MemoryTimingsRead, DifferingTimingABytesAreNotUnified) {
    Bytes bytes = fx5900Image();
    bytes[kPattern + 9 + 4 * 7] = 0x55; // only the eighth differs
    const auto read = readAll(bytes, "3003");
    ASSERT_TRUE(read.timings);
    EXPECT_EQ(read.timings->timingA, TimingAState::NotUnified);
    EXPECT_EQ(read.messages,
              (std::vector<std::string>{"Timing A Table not unified. Disabling Timing A access"}));
    EXPECT_EQ(read.timings->shown.size(), 5u);
}

TEST(MemoryTimingsRead, WithoutThePatternBToFAreNotReadButKeepTheirPlace) {
    Bytes bytes = fx5900Image();
    bytes[kPattern] = 0;
    const auto read = readAll(bytes, "3003");
    ASSERT_TRUE(read.timings);
    EXPECT_EQ(read.timings->timingA, TimingAState::NotFound);
    EXPECT_EQ(read.messages, (std::vector<std::string>{"Couldnt find Timing info. ;("}));
    EXPECT_TRUE(read.timings->shown.empty());
    EXPECT_TRUE(read.timings->setsAvailable);
}

TEST(MemoryTimingsRead, WithoutAClockTableTheSetsHaveNoPlaceAndNoSecondMessage) {
    Bytes bytes = fx5900Image();
    bytes[kMarker] = 0;
    const auto read = readAll(bytes, "3003");
    ASSERT_TRUE(read.timings);
    EXPECT_EQ(read.timings->timingA, TimingAState::Found);
    EXPECT_FALSE(read.timings->setsAvailable);
    EXPECT_TRUE(read.timings->shown.empty());
    EXPECT_TRUE(read.messages.empty());
}

TEST(MemoryTimingsRead, SetsPastTheEndAreReportedOnce) {
    // The third copy at base + 160 .. + 167 needs 168 bytes behind the marker; give it 167.
    const auto read = readAll(fx5900Image(0x44, kMarker + 167), "3003");
    ASSERT_TRUE(read.timings);
    EXPECT_FALSE(read.timings->setsAvailable);
    EXPECT_EQ(read.messages, (std::vector<std::string>{"Couldnt find Timing info. ;("}));
}

TEST(MemoryTimingsRead, FamiliesWithoutTimingsReadNothing) {
    for (const std::string device : {"4000", "1103", "0003"}) {
        const auto read = readAll(fx5900Image(), device);
        EXPECT_FALSE(read.timings) << device;
        EXPECT_TRUE(read.messages.empty()) << device;
    }
}

TEST(MemoryTimingsWrite, TimingAGoesIntoAllEightAndBToFIntoEveryCopy) {
    const auto read = readAll(fx5900Image(), "3003");
    ASSERT_TRUE(read.timings);
    const FieldTexts texts{{F::TimingA, "7"}, {F::TimingB, "1"}, {F::TimingC, "2"},
                           {F::TimingD, "3"}, {F::TimingE, "4"}, {F::TimingF, "255"}};
    const TableWrite w = writeMemoryTimings(*read.timings, texts);
    ASSERT_FALSE(w.failure);
    ASSERT_EQ(w.writes.size(), 8u + 3u * 5u);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(w.writes[i].offset, 0x1809 + 4 * static_cast<std::int32_t>(i));
        EXPECT_EQ(w.writes[i].value, 7);
        EXPECT_EQ(w.writes[i].field, F::TimingA);
    }
    // The third copy of F, the last write.
    EXPECT_EQ(w.writes.back().offset, 0x20A7);
    EXPECT_EQ(w.writes.back().value, 255);
    EXPECT_EQ(w.writes.back().field, F::TimingF);
}

TEST(MemoryTimingsWrite, AValueAbove255OrNotANumberIsRefusedAndNothingIsWritten) {
    const auto read = readAll(fx5900Image(), "3003");
    ASSERT_TRUE(read.timings);
    FieldTexts texts{{F::TimingA, "7"}, {F::TimingB, "1"}, {F::TimingC, "256"}, {F::TimingD, "3"}};
    TableWrite w = writeMemoryTimings(*read.timings, texts);
    ASSERT_TRUE(w.failure);
    EXPECT_EQ(w.failure->field, F::TimingC);
    EXPECT_EQ(w.failure->kind, ValueFailure::Kind::OutOfRange);
    EXPECT_EQ(w.failure->maximum, 255);
    EXPECT_TRUE(w.writes.empty());
    texts[F::TimingC] = "-";
    w = writeMemoryTimings(*read.timings, texts);
    ASSERT_TRUE(w.failure);
    EXPECT_EQ(w.failure->kind, ValueFailure::Kind::NotANumber);
    EXPECT_EQ(w.failure->text, "-");
}

TEST(MemoryTimingsWrite, ANotUnifiedTimingAIsNeitherCheckedNorWritten) {
    Bytes bytes = fx5900Image();
    bytes[kPattern + 9] = 0x55;
    const auto read = readAll(bytes, "3003");
    ASSERT_TRUE(read.timings);
    const FieldTexts texts{{F::TimingA, "not read"}, {F::TimingB, "1"}, {F::TimingC, "2"},
                           {F::TimingD, "3"},        {F::TimingE, "4"}, {F::TimingF, "5"}};
    const TableWrite w = writeMemoryTimings(*read.timings, texts);
    ASSERT_FALSE(w.failure);
    EXPECT_EQ(w.writes.size(), 15u);
    EXPECT_EQ(w.writes.front().field, F::TimingB);
}

} // namespace
} // namespace zfx
