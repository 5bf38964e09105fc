// SPDX-License-Identifier: MIT
#include "tables/voltage_table.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

namespace zfx {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::int32_t kTable = 0x1000;

// 64 KiB of zeros with the table's bytes at 0x1000.
BiosImage imageWith(std::initializer_list<std::uint8_t> table, std::size_t size = 65536) {
    Bytes bytes(size, 0);
    std::copy(table.begin(), table.end(), bytes.begin() + kTable);
    return BiosImage(std::move(bytes));
}

CardFlags flagsOf(std::uint16_t device) {
    const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (const unsigned b : {device & 0xFFu, static_cast<unsigned>(device) >> 8u}) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return flagsForDevice(text);
}

struct Pair {
    std::int32_t voltage;
    std::int32_t code;
    bool operator==(const Pair&) const = default;
};

struct ReadCase {
    std::string name;
    std::uint16_t device;
    Bytes table;
    std::vector<Pair> offered;
    // storedIndex and selected by 2D, throttle, 3D; -1 for a mode without a pair
    std::array<int, 3> storedIndex;
    std::array<int, 3> selected;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class VoltageTableRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(VoltageTableRead, FindsThePairsTheOfferedEntriesAndEachModesPair) {
    const ReadCase& c = GetParam();
    Bytes bytes(65536, 0);
    std::copy(c.table.begin(), c.table.end(), bytes.begin() + kTable);
    const auto read = readVoltageTable(BiosImage(bytes), flagsOf(c.device));
    ASSERT_TRUE(read.table) << read.notFound;
    EXPECT_TRUE(read.messages.empty());
    EXPECT_EQ(read.recordedOffset, kTable);
    const VoltageTable& t = *read.table;
    EXPECT_EQ(t.offset, kTable);
    EXPECT_EQ(t.maxCodeOffset, kTable + 4);
    // The stored pairs: voltage at +5 + 2k, code at +6 + 2k.
    for (std::size_t k = 0; k < t.stored.size(); ++k) {
        EXPECT_EQ(t.stored[k].voltageOffset, kTable + 5 + 2 * static_cast<std::int32_t>(k));
        EXPECT_EQ(t.stored[k].codeOffset, kTable + 6 + 2 * static_cast<std::int32_t>(k));
        EXPECT_EQ(t.stored[k].entry.voltage, c.table[5 + 2 * k]);
        EXPECT_EQ(t.stored[k].entry.code, c.table[6 + 2 * k]);
    }
    std::vector<Pair> offered;
    for (const VoltageEntry& e : t.offered)
        offered.push_back({e.voltage, e.code});
    EXPECT_EQ(offered, c.offered);
    for (std::size_t m = 0; m < 3; ++m) {
        if (c.storedIndex[m] < 0) {
            EXPECT_FALSE(t.modes[m]) << "mode " << m;
            continue;
        }
        ASSERT_TRUE(t.modes[m]) << "mode " << m;
        EXPECT_EQ(static_cast<int>(t.modes[m]->storedIndex), c.storedIndex[m]) << "mode " << m;
        EXPECT_EQ(t.modes[m]->selected, c.selected[m]) << "mode " << m;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Families, VoltageTableRead,
    ::testing::Values(
        // 5600 group, three pairs below the highest code 5: two more entries 0.10 V apart.
        ReadCase{"fx5700_three_generated",
                 0x0342,
                 {0x10, 0x02, 0x03, 0x00, 0x05, 0x78, 0x01, 0x82, 0x02, 0x8C, 0x03},
                 {{120, 1}, {130, 2}, {140, 3}, {150, 4}, {160, 5}},
                 {0, 1, 2},
                 {0, 1, 2}},
        // Two pairs: no throttle; 3D takes the second pair.
        ReadCase{"fx5700_two",
                 0x0342,
                 {0x10, 0x02, 0x02, 0x00, 0x02, 0x78, 0x01, 0x8C, 0x02},
                 {{120, 1}, {140, 2}},
                 {0, -1, 1},
                 {0, -1, 1}},
        // A code at the maximum: nothing generated.
        ReadCase{"quadro1000_at_max",
                 0x0309,
                 {0x10, 0x02, 0x03, 0x00, 0x03, 0x78, 0x01, 0x82, 0x02, 0x8C, 0x03},
                 {{120, 1}, {130, 2}, {140, 3}},
                 {0, 1, 2},
                 {0, 1, 2}},
        // Generated voltages stop before they pass a byte.
        ReadCase{"fx5600ultra_byte_edge",
                 0x0311,
                 {0x10, 0x02, 0x03, 0x00, 0x07, 0xDC, 0x00, 0xE6, 0x01, 0xF0, 0x02},
                 {{220, 0}, {230, 1}, {240, 2}, {250, 3}},
                 {0, 1, 2},
                 {0, 1, 2}},
        // 5800 group: all codes below the maximum add the fourth entry, which writes 1.50 V.
        ReadCase{"fx5900_extra",
                 0x0330,
                 {0x10, 0x02, 0x03, 0x00, 0x03, 0x64, 0x00, 0x78, 0x01, 0x8C, 0x02},
                 {{100, 0}, {120, 1}, {140, 2}, {150, 3}},
                 {0, 1, 2},
                 {0, 1, 2}},
        // The 6800 GT has no throttle voltage: 3D takes the second pair.
        ReadCase{"gf6800gt",
                 0x0045,
                 {0x10, 0x02, 0x03, 0x00, 0x02, 0x64, 0x00, 0x78, 0x01, 0x8C, 0x02},
                 {{100, 0}, {120, 1}, {140, 2}},
                 {0, -1, 1},
                 {0, -1, 1}}));

TEST(VoltageTableRead, TheLastOccurrenceOfTheMarkerIsTheTable) {
    Bytes bytes(65536, 0);
    for (const std::size_t at : {0x1000u, 0x3000u}) {
        const Bytes table{0x10, 0x02, 0x03, 0x00, 0x02, static_cast<std::uint8_t>(at >> 8),
                          0x00, 0x78, 0x01, 0x8C, 0x02};
        std::copy(table.begin(), table.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    }
    const auto read = readVoltageTable(BiosImage(bytes), flagsOf(0x0330));
    ASSERT_TRUE(read.table);
    EXPECT_EQ(read.table->offset, 0x3000);
    EXPECT_EQ(read.table->stored[0].entry.voltage, 0x30);
}

TEST(VoltageTableRead, TableRunningPastTheEndIsNotFoundAndOnlyThe5800GroupRecordsItsMarker) {
    // The marker 10 02 03 five bytes before the end: the pairs would run past it.
    Bytes bytes(4096, 0);
    const Bytes marker{0x10, 0x02, 0x03, 0x00, 0x02};
    std::copy(marker.begin(), marker.end(), bytes.end() - 5);
    const BiosImage image(bytes);
    const auto group5800 = readVoltageTable(image, flagsOf(0x0330));
    EXPECT_FALSE(group5800.table);
    EXPECT_EQ(group5800.messages, (std::vector<std::string>{"Couldnt find VGPU info. ;("}));
    EXPECT_EQ(group5800.recordedOffset, 4091);
    const auto group5600 = readVoltageTable(image, flagsOf(0x0342));
    EXPECT_FALSE(group5600.table);
    EXPECT_EQ(group5600.messages, (std::vector<std::string>{"Couldnt find VGPU info. ;("}));
    EXPECT_FALSE(group5600.recordedOffset);
    EXPECT_FALSE(group5600.notFound.empty());
}

TEST(VoltageTableRead, FamiliesWithoutATableReadNothingAndSayNothing) {
    const BiosImage image = imageWith({0x10, 0x02, 0x03, 0x00, 0x02, 0x64, 0x00, 0x78, 0x01, 0x8C, 0x02});
    for (const std::uint16_t device : {std::uint16_t{0x0322}, std::uint16_t{0x0326}, std::uint16_t{0x0300}}) {
        const auto read = readVoltageTable(image, flagsOf(device));
        EXPECT_FALSE(read.table);
        EXPECT_TRUE(read.messages.empty());
        EXPECT_FALSE(hasVoltageTable(flagsOf(device)));
    }
}

TEST(VoltageTableWrite, EachModesChoiceOverwritesItsPairAndNamesItsField) {
    const auto read = readVoltageTable(
        imageWith({0x10, 0x02, 0x03, 0x00, 0x03, 0x64, 0x00, 0x78, 0x01, 0x8C, 0x02}), flagsOf(0x0330));
    ASSERT_TRUE(read.table);
    // 2D takes the extra 1.50 V entry, throttle nothing, 3D the first entry.
    const TableWrite w = writeVoltages(*read.table, read.table->offered, {3, -1, 0});
    ASSERT_FALSE(w.failure);
    ASSERT_EQ(w.writes.size(), 4u);
    EXPECT_EQ(w.writes[0].offset, 0x1005);
    EXPECT_EQ(w.writes[0].value, 150);
    EXPECT_EQ(w.writes[1].offset, 0x1006);
    EXPECT_EQ(w.writes[1].value, 3);
    EXPECT_EQ(w.writes[0].field, CardField::Voltage2D);
    EXPECT_EQ(w.writes[2].offset, 0x1009);
    EXPECT_EQ(w.writes[2].value, 100);
    EXPECT_EQ(w.writes[3].offset, 0x100A);
    EXPECT_EQ(w.writes[3].value, 0);
    EXPECT_EQ(w.writes[3].field, CardField::Voltage3D);
}

TEST(VoltageTableWrite, The6800GtWritesIts3DChoiceIntoTheSecondPairAndIgnoresThrottle) {
    const auto read = readVoltageTable(
        imageWith({0x10, 0x02, 0x03, 0x00, 0x02, 0x64, 0x00, 0x78, 0x01, 0x8C, 0x02}), flagsOf(0x0045));
    ASSERT_TRUE(read.table);
    const TableWrite w = writeVoltages(*read.table, read.table->offered, {-1, 2, 2});
    ASSERT_EQ(w.writes.size(), 2u);
    EXPECT_EQ(w.writes[0].offset, 0x1007);
    EXPECT_EQ(w.writes[0].value, 0x8C);
    EXPECT_EQ(w.writes[1].offset, 0x1008);
    EXPECT_EQ(w.writes[1].value, 2);
}

struct GeneralCase {
    std::string name;
    std::uint16_t device;
    std::int32_t maxCode;
    std::vector<std::int32_t> voltages; // empty: general mode offers nothing
    std::array<bool, 3> offeredIn;
    std::array<int, 3> enabled; // 1 on, 0 off, -1 left as it was
};

void PrintTo(const GeneralCase& c, std::ostream* os) {
    *os << c.name;
}

class GeneralModeVoltages : public ::testing::TestWithParam<GeneralCase> {};

TEST_P(GeneralModeVoltages, OffersTheFamilysCommonVoltagesWithCodesByPosition) {
    const GeneralCase& c = GetParam();
    const auto general = generalModeVoltages(flagsOf(c.device), c.maxCode);
    if (c.voltages.empty()) {
        EXPECT_FALSE(general);
        return;
    }
    ASSERT_TRUE(general);
    std::vector<std::int32_t> voltages;
    for (std::size_t p = 0; p < general->entries.size(); ++p) {
        voltages.push_back(general->entries[p].voltage);
        EXPECT_EQ(general->entries[p].code, static_cast<std::int32_t>(p));
    }
    EXPECT_EQ(voltages, c.voltages);
    EXPECT_EQ(general->offeredIn, c.offeredIn);
    for (std::size_t m = 0; m < 3; ++m)
        EXPECT_EQ(general->enabled[m] ? static_cast<int>(*general->enabled[m]) : -1, c.enabled[m])
            << "mode " << m;
}

INSTANTIATE_TEST_SUITE_P(
    Families, GeneralModeVoltages,
    ::testing::Values(
        GeneralCase{
            "fx5900_max7", 0x0330, 7, {80, 90, 100, 110, 120, 130, 140, 150}, {true, true, true}, {1, 1, 1}},
        GeneralCase{"fx5600ultra_max7",
                    0x0311,
                    7,
                    {86, 96, 106, 116, 126, 136, 146, 156},
                    {true, true, true},
                    {1, 1, 1}},
        GeneralCase{"quadro1000_max7",
                    0x0309,
                    7,
                    {80, 90, 100, 110, 120, 130, 140, 150},
                    {true, false, true},
                    {1, -1, 1}},
        GeneralCase{"quadro1000_max3", 0x0309, 3, {110, 120, 130, 140}, {true, true, true}, {1, -1, 1}},
        GeneralCase{"fx5800_max3", 0x0301, 3, {110, 120, 130, 140}, {true, true, true}, {1, 1, 1}},
        GeneralCase{"fx5700_max1", 0x0342, 1, {130, 135}, {true, true, false}, {1, 1, 0}},
        GeneralCase{
            "fx5700_max7", 0x0342, 7, {80, 90, 100, 110, 120, 130, 140, 150}, {true, true, true}, {1, 1, 1}},
        GeneralCase{"fx5900_max5", 0x0330, 5, {}, {}, {}}, GeneralCase{"fx5700le", 0x0343, 7, {}, {}, {}}));

} // namespace
} // namespace zfx
