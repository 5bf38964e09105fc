// SPDX-License-Identifier: MIT
#include "tables/clock_table.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

namespace zfx {
namespace {

using Bytes = std::vector<std::uint8_t>;
using F = CardField;

CardFlags flagsOf(const std::string& deviceText) {
    return flagsForDevice(deviceText);
}

// 64 KiB of zeros with a marker at 0x2000 and 16-bit values at the given offsets.
BiosImage imageWith(const Bytes& marker, std::initializer_list<std::pair<std::size_t, std::uint16_t>> words,
                    std::size_t size = 65536) {
    Bytes bytes(size, 0);
    std::copy(marker.begin(), marker.end(), bytes.begin() + 0x2000);
    for (const auto& [at, value] : words) {
        bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
        bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    return BiosImage(std::move(bytes));
}

struct Shown {
    F field;
    std::int32_t offset;
    std::int32_t mhz;
    bool operator==(const Shown&) const = default;
};

struct ReadCase {
    std::string name;
    std::string deviceText;
    std::string vendor;
    Bytes marker;
    std::vector<std::pair<std::size_t, std::uint16_t>> words;
    std::int32_t base;
    std::vector<Shown> shown;
    std::size_t writeCount; // 16-bit fields the write-back stores
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class ClockTableRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ClockTableRead, ShowsEachFieldAtItsOffsetInWholeMhz) {
    const ReadCase& c = GetParam();
    Bytes bytes(65536, 0);
    std::copy(c.marker.begin(), c.marker.end(), bytes.begin() + 0x2000);
    for (const auto& [at, value] : c.words) {
        bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
        bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    const auto read = readClockTable(BiosImage(bytes), flagsOf(c.deviceText), c.vendor);
    ASSERT_TRUE(read.table) << read.notFound;
    EXPECT_TRUE(read.messages.empty());
    EXPECT_EQ(read.table->base, c.base);
    EXPECT_EQ(read.recordedOffset, c.base);
    std::vector<Shown> shown;
    for (const ShownClock& s : read.table->shown)
        shown.push_back({s.field, s.offset, s.mhz});
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(read.table->writes.size(), c.writeCount);
    ASSERT_EQ(read.writeOrder.size(), c.writeCount);
    for (std::size_t i = 0; i < c.writeCount; ++i)
        EXPECT_EQ(read.writeOrder[i], read.table->writes[i].field);
}

INSTANTIATE_TEST_SUITE_P(
    Families, ClockTableRead,
    ::testing::Values(
        // 27549 hundredths round down to 275; 42550 is an exact half and goes to the even 426.
        ReadCase{"fx5900_rounding",
                 "3003",
                 "Asus",
                 {0x18, 0x02, 0x20},
                 {{0x2003, 30000}, {0x2007, 27549}, {0x203C, 42550}, {0x2075, 45000}},
                 0x2000,
                 {{F::Core2D, 0x2003, 300},
                  {F::Mem2D, 0x2007, 275},
                  {F::CoreThrottle, 0x203C, 426},
                  {F::Core3D, 0x2075, 450}},
                 11},
        // The 5600's base is on the 02 of its marker.
        ReadCase{"fx5600",
                 "1203",
                 "Asus",
                 {0x18, 0x02, 0x20},
                 {{0x2003, 23500}, {0x2023, 27500}, {0x203C, 23600}, {0x2075, 32500}},
                 0x2001,
                 {{F::Core2D, 0x2003, 235},
                  {F::Mem2D, 0x2023, 275},
                  {F::CoreThrottle, 0x203C, 236},
                  {F::Core3D, 0x2075, 325}},
                 6},
        // Vendor boards keep the 2D pair second; whole MHz.
        ReadCase{"gf6800_vendor",
                 "4000",
                 "Gainward",
                 {0x18, 0x02, 0x20, 0xFF},
                 {{0x2008, 300}, {0x200D, 550}, {0x2026, 400}, {0x202B, 560}},
                 0x2000,
                 {{F::Core3D, 0x2008, 300},
                  {F::Mem3D, 0x200D, 550},
                  {F::Core2D, 0x2026, 400},
                  {F::Mem2D, 0x202B, 560}},
                 4},
        // Reference boards: the other way round, and both pairs written.
        ReadCase{"gf6800_reference",
                 "4000",
                 "Nvidia",
                 {0x18, 0x02, 0x20, 0xFF},
                 {{0x2008, 300}, {0x200D, 550}, {0x2026, 400}, {0x202B, 560}},
                 0x2000,
                 {{F::Core3D, 0x2026, 400},
                  {F::Mem3D, 0x202B, 560},
                  {F::Core2D, 0x2008, 300},
                  {F::Mem2D, 0x200D, 550}},
                 8}),
    [](const auto& param) { return param.param.name; });

TEST(ClockTableRead, MarkerTooNearTheEndIsNoTableAndOnlySomeFamiliesRecordIt) {
    // A 5900 marker 20 bytes before the end: the 3D core at +117 would lie outside.
    Bytes bytes(4096, 0);
    bytes[4076] = 0x18;
    bytes[4077] = 0x02;
    bytes[4078] = 0x20;
    const auto fx5900 = readClockTable(BiosImage(bytes), flagsOf("3003"), "Asus");
    EXPECT_FALSE(fx5900.table);
    EXPECT_EQ(fx5900.messages, (std::vector<std::string>{"Couldnt find Clockrates. ;("}));
    EXPECT_EQ(fx5900.recordedOffset, 4076);
    // The 5200 records its base only when the table is there.
    const auto fx5200 = readClockTable(BiosImage(bytes), flagsOf("2203"), "Asus");
    EXPECT_FALSE(fx5200.table);
    EXPECT_FALSE(fx5200.recordedOffset);
}

TEST(ClockTableRead, FamiliesWithoutAClockTableReadNothingAndWriteNothing) {
    const auto read = readClockTable(imageWith({0x18, 0x02, 0x20}, {}), flagsOf("0003"), "Asus");
    EXPECT_EQ(read.family, ClockFamily::None);
    EXPECT_FALSE(read.table);
    EXPECT_TRUE(read.messages.empty());
    const TableWrite w = writeClocks(read, {});
    EXPECT_TRUE(w.writes.empty());
    EXPECT_FALSE(w.failure);
}

TEST(ClockTableWrite, FxClocksAreStoredInHundredthsLittleEndianIntoEveryCopy) {
    const auto read = readClockTable(imageWith({0x18, 0x02, 0x20}, {}), flagsOf("2203"), "Asus");
    ASSERT_TRUE(read.table);
    // The 5200 writes its 3D core at +3 and its memory into eight fields from +7.
    const TableWrite w = writeClocks(read, {{F::Core3D, "500"}, {F::Mem3D, "255"}});
    ASSERT_FALSE(w.failure);
    ASSERT_EQ(w.writes.size(), 18u);
    EXPECT_EQ(w.writes[0].offset, 0x2003);
    EXPECT_EQ(w.writes[0].value, 0x50); // 50000 = C350
    EXPECT_EQ(w.writes[1].offset, 0x2004);
    EXPECT_EQ(w.writes[1].value, 0xC3);
    EXPECT_EQ(w.writes[0].field, F::Core3D);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(w.writes[2 + 2 * i].offset, 0x2007 + 4 * static_cast<std::int32_t>(i));
        EXPECT_EQ(w.writes[2 + 2 * i].value, 0x9C); // 25500 = 639C
        EXPECT_EQ(w.writes[3 + 2 * i].value, 0x63);
        EXPECT_EQ(w.writes[3 + 2 * i].field, F::Mem3D);
    }
}

TEST(ClockTableWrite, The6800StoresWholeMhzUpTo65535) {
    const auto read = readClockTable(imageWith({0x18, 0x02, 0x20, 0xFF}, {}), flagsOf("4500"), "Asus");
    ASSERT_TRUE(read.table);
    const TableWrite w = writeClocks(read, {{F::Core3D, "65535"}, {F::Mem3D, "256"}});
    ASSERT_FALSE(w.failure);
    ASSERT_EQ(w.writes.size(), 4u);
    EXPECT_EQ(w.writes[0].offset, 0x2008);
    EXPECT_EQ(w.writes[0].value, 0xFF);
    EXPECT_EQ(w.writes[1].value, 0xFF);
    EXPECT_EQ(w.writes[2].offset, 0x200D);
    EXPECT_EQ(w.writes[2].value, 0x00);
    EXPECT_EQ(w.writes[3].value, 0x01);
}

struct RefusalCase {
    std::string name;
    std::string deviceText;
    Bytes marker;
    FieldTexts texts;
    F field;
    ValueFailure::Kind kind;
    std::int32_t maximum;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

class ClockRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(ClockRefusal, TheFirstBadFieldInWriteOrderIsRefusedAndNothingIsWritten) {
    const RefusalCase& c = GetParam();
    const auto read = readClockTable(imageWith(c.marker, {}), flagsOf(c.deviceText), "Asus");
    const TableWrite w = writeClocks(read, c.texts);
    ASSERT_TRUE(w.failure);
    EXPECT_EQ(w.failure->field, c.field);
    EXPECT_EQ(w.failure->kind, c.kind);
    EXPECT_EQ(w.failure->maximum, c.maximum);
    EXPECT_EQ(w.failure->text, c.texts.count(c.field) ? c.texts.at(c.field) : std::string());
    EXPECT_TRUE(w.writes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ClockRefusal,
    ::testing::Values(RefusalCase{"fx_656",
                                  "2203",
                                  {0x18, 0x02, 0x20},
                                  {{F::Core3D, "656"}, {F::Mem3D, "1"}},
                                  F::Core3D,
                                  ValueFailure::Kind::OutOfRange,
                                  655},
                      RefusalCase{"fx_memory_empty",
                                  "2203",
                                  {0x18, 0x02, 0x20},
                                  {{F::Core3D, "655"}, {F::Mem3D, ""}},
                                  F::Mem3D,
                                  ValueFailure::Kind::NotANumber,
                                  655},
                      RefusalCase{"gf6800_65536",
                                  "4500",
                                  {0x18, 0x02, 0x20, 0xFF},
                                  {{F::Core3D, "65536"}, {F::Mem3D, "1"}},
                                  F::Core3D,
                                  ValueFailure::Kind::OutOfRange,
                                  65535},
                      // The 5900 writes its 3D core first.
                      RefusalCase{"fx5900_order",
                                  "3003",
                                  {0x18, 0x02, 0x20},
                                  {{F::Core2D, ""},
                                   {F::Mem2D, ""},
                                   {F::CoreThrottle, ""},
                                   {F::MemThrottle, ""},
                                   {F::Core3D, ""},
                                   {F::Mem3D, ""}},
                                  F::Core3D,
                                  ValueFailure::Kind::NotANumber,
                                  655},
                      // Without a table the boxes hold their placeholder and are refused all the same.
                      RefusalCase{"no_table_placeholder",
                                  "0203",
                                  {},
                                  {{F::Core2D, "--"}},
                                  F::Core2D,
                                  ValueFailure::Kind::NotANumber,
                                  655}),
    [](const auto& param) { return param.param.name; });

} // namespace
} // namespace zfx
