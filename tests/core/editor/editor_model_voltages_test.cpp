// SPDX-License-Identifier: MIT
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

#include <map>

namespace zfx {
namespace {

using test::cardImage;
using test::Editor;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kTable = 0x1000;
constexpr std::size_t kStructure = 0x0300; // the samples' BMP or BIT signature
constexpr std::uint16_t k5700 = 0x0342, k5900 = 0x0330, k6800GT = 0x0045, k5600Ultra = 0x0311, k5200 = 0x0322,
                        k5500 = 0x0326, kQuadro1000 = 0x0309, k5800 = 0x0301, k6800 = 0x0040, k5600 = 0x0312;

// The family's sample (which has a clock table, so saves succeed) with its voltage table
// replaced by the given bytes and its BMP or BIT structure wiped: the lists and the writes are the
// table's own, as on every image without a structure.
Bytes withTable(std::uint16_t device, std::initializer_list<std::uint8_t> table) {
    static const std::map<std::uint16_t, std::string> sampleOf{{k5700, "fx5700.rom"},
                                                               {k5900, "fx5950-ultra.rom"},
                                                               {k6800GT, "gf6800-gt.rom"},
                                                               {k5600Ultra, "fx5600-ultra.rom"},
                                                               {k5200, "fx5200.rom"},
                                                               {k5500, "fx5500.rom"},
                                                               {kQuadro1000, "quadro-fx1000.rom"},
                                                               {k5800, "fx5800.rom"},
                                                               {k6800, "gf6800-ultra.rom"},
                                                               {k5600, "fx5600.rom"}};
    Bytes image = test::sampleBytes(sampleOf.at(device));
    image[0x186] = static_cast<std::uint8_t>(device & 0xFF);
    image[0x187] = static_cast<std::uint8_t>(device >> 8);
    std::fill(image.begin() + kTable, image.begin() + kTable + 16, 0);
    std::copy(table.begin(), table.end(), image.begin() + kTable);
    std::fill(image.begin() + kStructure, image.begin() + kStructure + 8, 0);
    return image;
}

Bytes tableBytes(const Bytes& image, std::size_t count = 11) {
    if (image.size() < kTable + count) return {};
    return Bytes(image.begin() + kTable, image.begin() + static_cast<std::ptrdiff_t>(kTable + count));
}

using Strings = std::vector<std::string>;

TEST(Voltages, TwoEntryTableOffersAGeneratedEntryAndLeavesThrottleOut) {
    Editor e;
    e.open(withTable(k5700, {0x10, 0x02, 0x02, 0x00, 0x03, 0x78, 0x01, 0x8C, 0x02}));
    ASSERT_TRUE(e.card().voltages.table);
    EXPECT_EQ(e.card().voltages.table->maxCode, 3);
    EXPECT_EQ(e.form().combo(Control::Voltage2D).entries, (Strings{"1.2V", "1.4V", "1.5V"}));
    EXPECT_EQ(e.form().combo(Control::Voltage2D).selected, 0);
    EXPECT_EQ(e.form().combo(Control::Voltage3D).entries, (Strings{"1.2V", "1.4V", "1.5V"}));
    EXPECT_EQ(e.form().combo(Control::Voltage3D).selected, 1);
    EXPECT_TRUE(e.form().combo(Control::VoltageThrottle).entries.empty());
    EXPECT_FALSE(e.form().combo(Control::VoltageThrottle).enabled);
    const auto& offered = e.card().offered;
    ASSERT_EQ(offered.size(), 3u);
    EXPECT_EQ((std::vector<int>{offered[0].code, offered[1].code, offered[2].code, offered[0].voltage,
                                offered[1].voltage, offered[2].voltage}),
              (std::vector<int>{1, 2, 3, 120, 140, 150}));
    const auto texts = e.host.messageTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Couldnt find VGPU info. ;("), 0);
}

TEST(Voltages, TwoEntryTableSavedUnchangedAndWithTheGeneratedEntry) {
    Editor e;
    e.open(withTable(k5700, {0x10, 0x02, 0x02, 0x00, 0x03, 0x78, 0x01, 0x8C, 0x02}));
    EXPECT_EQ(tableBytes(e.save("same.rom"), 9),
              (Bytes{0x10, 0x02, 0x02, 0x00, 0x03, 0x78, 0x01, 0x8C, 0x02}));
    e.model.selectEntry(Control::Voltage3D, 2);
    EXPECT_EQ(tableBytes(e.save("changed.rom"), 9),
              (Bytes{0x10, 0x02, 0x02, 0x00, 0x03, 0x78, 0x01, 0x96, 0x03}));
}

TEST(Voltages, ThreeEntryTableOffersGeneratedEntriesUpToTheMaximumCode) {
    Editor e;
    const Bytes table{0x10, 0x02, 0x03, 0x00, 0x05, 0x78, 0x01, 0x82, 0x02, 0x8C, 0x03};
    e.open(withTable(k5700, {0x10, 0x02, 0x03, 0x00, 0x05, 0x78, 0x01, 0x82, 0x02, 0x8C, 0x03}));
    const Strings five{"1.2V", "1.3V", "1.4V", "1.5V", "1.6V"};
    for (int list = 1; list <= 3; ++list) {
        EXPECT_EQ(e.form().combo(test::voltageList(list)).entries, five);
        EXPECT_EQ(e.form().combo(test::voltageList(list)).selected, list - 1);
        EXPECT_TRUE(e.form().combo(test::voltageList(list)).enabled);
    }
    ASSERT_EQ(e.card().offered.size(), 5u);
    EXPECT_EQ(e.card().offered[3].code, 4);
    EXPECT_EQ(e.card().offered[4].code, 5);
    EXPECT_EQ(e.card().offered[3].voltage, 150);
    EXPECT_EQ(e.card().offered[4].voltage, 160);
    EXPECT_EQ(tableBytes(e.save()), table);
}

TEST(Voltages, OnlyGeneratedEntriesThatFitEightPositionsAndAByteAreOffered) {
    Editor e;
    e.open(withTable(k5700, {0x10, 0x02, 0x03, 0x00, 0x14, 0x78, 0x00, 0x82, 0x01, 0x8C, 0x02}));
    EXPECT_EQ(e.form().combo(Control::Voltage2D).entries.size(), 8u);
    EXPECT_EQ(e.form().combo(Control::Voltage2D).entries.back(), "1.9V");
    Editor high;
    high.open(withTable(k5700, {0x10, 0x02, 0x02, 0x00, 0x05, 0xE6, 0x01, 0xF0, 0x02}));
    EXPECT_EQ(high.form().combo(Control::Voltage2D).entries, (Strings{"2.3V", "2.4V", "2.5V"}));
}

TEST(Voltages, CodeEqualToTheMaximumGivesNoFurtherEntries) {
    Editor fx5700;
    fx5700.open(withTable(k5700, {0x10, 0x02, 0x03, 0x00, 0x03, 0x78, 0x01, 0x82, 0x02, 0x8C, 0x03}));
    EXPECT_EQ(fx5700.form().combo(Control::Voltage2D).entries, (Strings{"1.2V", "1.3V", "1.4V"}));
    Editor fx5900;
    fx5900.open(withTable(k5900, {0x10, 0x02, 0x03, 0x00, 0x02, 0x78, 0x00, 0x82, 0x01, 0x8C, 0x02}));
    EXPECT_EQ(fx5900.form().combo(Control::Voltage2D).entries, (Strings{"1.2V", "1.3V", "1.4V"}));
}

TEST(Voltages, FiveNineHundredShowsTheExtraEntryAndWritesIt) {
    Editor e;
    e.open(withTable(k5900, {0x10, 0x02, 0x03, 0x00, 0x07, 0x64, 0x00, 0x78, 0x01, 0x8C, 0x02}));
    for (int list = 1; list <= 3; ++list) {
        EXPECT_EQ(e.form().combo(test::voltageList(list)).entries, (Strings{"1V", "1.2V", "1.4V", "1.5V"}));
        EXPECT_EQ(e.form().combo(test::voltageList(list)).selected, list - 1);
    }
    e.model.selectEntry(Control::Voltage3D, 3);
    EXPECT_EQ(tableBytes(e.save()),
              (Bytes{0x10, 0x02, 0x03, 0x00, 0x07, 0x64, 0x00, 0x78, 0x01, 0x96, 0x07}));
}

TEST(Voltages, ExtraEntryIsLabelledWithTheVoltageItWrites) {
    Editor e;
    e.open(withTable(k5800, {0x10, 0x02, 0x03, 0x00, 0x03, 0x6E, 0x00, 0x78, 0x01, 0x82, 0x02}));
    EXPECT_EQ(e.form().combo(Control::VoltageThrottle).entries, (Strings{"1.1V", "1.2V", "1.3V", "1.5V"}));
    e.model.selectEntry(Control::VoltageThrottle, 3);
    EXPECT_EQ(tableBytes(e.save()),
              (Bytes{0x10, 0x02, 0x03, 0x00, 0x03, 0x6E, 0x00, 0x96, 0x03, 0x82, 0x02}));
}

TEST(Voltages, SixEightHundredGtUsesEntriesZeroAndOneOnly) {
    Editor e;
    e.open(withTable(k6800GT, {0x10, 0x02, 0x03, 0x00, 0x03, 0x78, 0x00, 0x82, 0x01, 0x8C, 0x02}));
    EXPECT_TRUE(e.form().combo(Control::VoltageThrottle).entries.empty());
    EXPECT_FALSE(e.form().combo(Control::VoltageThrottle).enabled);
    EXPECT_EQ(e.form().combo(Control::Voltage3D).selected, 1);
    e.model.selectEntry(Control::Voltage2D, 3);
    e.model.selectEntry(Control::Voltage3D, 2);
    EXPECT_EQ(tableBytes(e.save()),
              (Bytes{0x10, 0x02, 0x03, 0x00, 0x03, 0x96, 0x03, 0x8C, 0x02, 0x8C, 0x02}));
}

TEST(Voltages, FamiliesWithoutVoltageSupportSearchNothingAndWriteNothing) {
    for (const std::uint16_t device : {k5200, k5500}) {
        Editor e;
        const Bytes table{0x10, 0x02, 0x03, 0x00, 0x07, 0x64, 0x00, 0x78, 0x01, 0x8C, 0x02};
        e.open(withTable(device, {0x10, 0x02, 0x03, 0x00, 0x07, 0x64, 0x00, 0x78, 0x01, 0x8C, 0x02}));
        EXPECT_TRUE(e.form().combo(Control::Voltage2D).entries.empty());
        EXPECT_FALSE(e.form().combo(Control::Voltage2D).enabled);
        for (const auto& text : e.host.messageTexts())
            EXPECT_NE(text, "Couldnt find VGPU info. ;(");
        EXPECT_EQ(tableBytes(e.save()), table);
    }
}

TEST(Voltages, MissingTableIsReportedOncePerReaderRun) {
    for (const std::uint16_t device : {k5700, k5900, k6800, k5600}) {
        Editor e;
        e.open(cardImage(device).image());
        const auto texts = e.host.messageTexts();
        EXPECT_EQ(std::count(texts.begin(), texts.end(), "Couldnt find VGPU info. ;("), 1) << device;
        EXPECT_TRUE(e.form().combo(Control::Voltage2D).entries.empty());
    }
}

TEST(Voltages, TableRunningPastTheImageEndIsNotFound) {
    Editor e;
    auto builder = cardImage(k5900, 0x2000);
    builder.bytes(0x1000, {0x18, 0x02, 0x20}); // a clock table, so that the save can succeed
    builder.bytes(0x2000 - 8, {0x10, 0x02, 0x03, 0x00, 0x07, 0x64, 0x00, 0x78});
    const Bytes loaded = builder.image();
    e.open(loaded);
    const auto texts = e.host.messageTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Couldnt find VGPU info. ;("), 1);
    EXPECT_TRUE(e.form().combo(Control::Voltage2D).entries.empty());
    const auto saved = e.save();
    ASSERT_EQ(saved.size(), loaded.size());
    // the clocks are 0 and stay 0; of the short table nothing changes but the checksum byte
    EXPECT_TRUE(std::equal(saved.begin(), saved.end() - 1, loaded.begin()));
}

TEST(Voltages, SaveWithoutAFoundTableWritesNoTableBytesOfAnEarlierImage) {
    Editor e;
    e.open(withTable(k5900, {0x10, 0x02, 0x03, 0x00, 0x07, 0x64, 0x00, 0x78, 0x01, 0x8C, 0x02}));
    e.open(withTable(k5900, {0x11, 0x22, 0x33, 0x00, 0x07, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}),
           "second.rom");
    const auto saved = e.save();
    EXPECT_EQ(tableBytes(saved), (Bytes{0x11, 0x22, 0x33, 0x00, 0x07, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}));
}

TEST(Voltages, ListTextsUseTheGivenDecimalSeparator) {
    Editor e;
    e.model.setDecimalSeparator(",");
    e.open(withTable(k5700, {0x10, 0x02, 0x02, 0x00, 0x02, 0x82, 0x01, 0x87, 0x02}));
    EXPECT_EQ(e.form().combo(Control::Voltage2D).entries, (Strings{"1,3V", "1,35V"}));
}

struct GeneralModeCase {
    std::uint16_t device;
    std::uint8_t maxCode;
    Strings entries;
    bool throttleFilled;
    bool threeDFilled;
};

void PrintTo(const GeneralModeCase& c, std::ostream* os) {
    *os << "device " << std::hex << c.device << std::dec << " max code " << int{c.maxCode};
}

class GeneralMode : public ::testing::TestWithParam<GeneralModeCase> {};

TEST_P(GeneralMode, OffersTheFamilysCommonVoltagesWithNothingSelected) {
    const GeneralModeCase& c = GetParam();
    Editor e;
    e.open(withTable(c.device, {0x10, 0x02, 0x03, 0x00, c.maxCode, 0x78, 0x00, 0x78, 0x00, 0x78, 0x00}));
    e.model.setChecked(Control::GeneralMode, true);
    EXPECT_TRUE(e.card().generalModeActive);
    EXPECT_EQ(e.form().combo(Control::Voltage2D).entries, c.entries);
    EXPECT_EQ(e.form().combo(Control::VoltageThrottle).entries, c.throttleFilled ? c.entries : Strings{});
    EXPECT_EQ(e.form().combo(Control::Voltage3D).entries, c.threeDFilled ? c.entries : Strings{});
    for (int list = 1; list <= 3; ++list)
        EXPECT_EQ(e.form().combo(test::voltageList(list)).selected, -1);
    for (std::size_t p = 0; p < c.entries.size(); ++p)
        EXPECT_EQ(e.card().offered.at(p).code, static_cast<int>(p));
}

const Strings kCommon8{"0.8V", "0.9V", "1V", "1.1V", "1.2V", "1.3V", "1.4V", "1.5V"};
const Strings kUltra8{"0.86V", "0.96V", "1.06V", "1.16V", "1.26V", "1.36V", "1.46V", "1.56V"};
const Strings kCommon4{"1.1V", "1.2V", "1.3V", "1.4V"};

INSTANTIATE_TEST_SUITE_P(SummaryTable, GeneralMode,
                         ::testing::Values(GeneralModeCase{k5900, 7, kCommon8, true, true},
                                           GeneralModeCase{k5800, 7, kCommon8, true, true},
                                           GeneralModeCase{kQuadro1000, 7, kCommon8, false, true},
                                           GeneralModeCase{k5600Ultra, 7, kUltra8, true, true},
                                           GeneralModeCase{k5900, 3, kCommon4, true, true},
                                           GeneralModeCase{k5800, 3, kCommon4, true, true},
                                           GeneralModeCase{k5600Ultra, 3, kCommon4, true, true},
                                           GeneralModeCase{kQuadro1000, 3, kCommon4, true, true},
                                           GeneralModeCase{k5700, 7, kCommon8, true, true},
                                           GeneralModeCase{k5700, 1, Strings{"1.3V", "1.35V"}, true, false},
                                           GeneralModeCase{k5900, 5, Strings{}, false, false},
                                           GeneralModeCase{k5700, 3, Strings{}, false, false}));

TEST(GeneralMode, FiveSevenHundredWithMaximumOneDisablesThe3DList) {
    Editor e;
    e.open(withTable(k5700, {0x10, 0x02, 0x03, 0x00, 0x01, 0x78, 0x00, 0x78, 0x00, 0x78, 0x01}));
    e.model.setChecked(Control::GeneralMode, true);
    EXPECT_TRUE(e.form().combo(Control::Voltage2D).enabled);
    EXPECT_TRUE(e.form().combo(Control::VoltageThrottle).enabled);
    EXPECT_FALSE(e.form().combo(Control::Voltage3D).enabled);
}

TEST(GeneralMode, WarningIsShownOncePerRunAcrossLoads) {
    Editor e;
    const Bytes image = withTable(k5900, {0x10, 0x02, 0x03, 0x00, 0x07, 0x64, 0x00, 0x78, 0x01, 0x8C, 0x02});
    e.open(image);
    e.model.setChecked(Control::GeneralMode, true);
    e.model.setChecked(Control::GeneralMode, false);
    e.model.setChecked(Control::GeneralMode, true);
    e.open(image, "again.rom");
    EXPECT_FALSE(e.form().check(Control::GeneralMode).ticked);
    e.model.setChecked(Control::GeneralMode, true);
    EXPECT_EQ(std::count(e.host.dialogs.begin(), e.host.dialogs.end(), Dialog::Form3), 1);
}

TEST(GeneralMode, SaveWithoutAChoiceLeavesTheEntriesAndAChoiceWritesItsCode) {
    Editor e;
    const Bytes table{0x10, 0x02, 0x03, 0x00, 0x07, 0x64, 0x00, 0x78, 0x01, 0x8C, 0x02};
    e.open(withTable(k5900, {0x10, 0x02, 0x03, 0x00, 0x07, 0x64, 0x00, 0x78, 0x01, 0x8C, 0x02}));
    e.model.setChecked(Control::GeneralMode, true);
    EXPECT_EQ(tableBytes(e.save("untouched.rom")), table);
    e.model.selectEntry(Control::Voltage3D, 6); // 1.4V, code 6
    EXPECT_EQ(tableBytes(e.save("chosen.rom")),
              (Bytes{0x10, 0x02, 0x03, 0x00, 0x07, 0x64, 0x00, 0x78, 0x01, 0x8C, 0x06}));
}

TEST(GeneralMode, UntickingReadsTheSavedImageAgain) {
    Editor e;
    e.open(withTable(k5900, {0x10, 0x02, 0x03, 0x00, 0x07, 0x64, 0x00, 0x78, 0x01, 0x8C, 0x02}));
    e.model.setChecked(Control::GeneralMode, true);
    e.model.selectEntry(Control::Voltage2D, 7); // 1.5V, code 7
    e.save();
    e.model.setChecked(Control::GeneralMode, false);
    EXPECT_FALSE(e.card().generalModeActive);
    EXPECT_EQ(e.form().combo(Control::Voltage2D).entries, (Strings{"1.5V", "1.2V", "1.4V"}));
    EXPECT_EQ(e.form().combo(Control::Voltage2D).selected, 0);
}

TEST(GeneralMode, LoadingWhileTickedUnticksAndRereadsForTheNewCard) {
    Editor e;
    e.open(withTable(k5900, {0x10, 0x02, 0x03, 0x00, 0x07, 0x64, 0x00, 0x78, 0x01, 0x8C, 0x02}));
    e.model.setChecked(Control::GeneralMode, true);
    e.open(test::sampleBytes("fx5200.rom"), "b.rom");
    EXPECT_FALSE(e.form().check(Control::GeneralMode).ticked);
    EXPECT_FALSE(e.form().check(Control::GeneralMode).enabled);
    EXPECT_FALSE(e.card().generalModeActive);
    EXPECT_TRUE(e.form().combo(Control::Voltage2D).entries.empty());
}

struct WriteBackCase {
    std::uint16_t device;
    Bytes table;
    Bytes expected; // after choosing the last entry in every enabled list
};

void PrintTo(const WriteBackCase& c, std::ostream* os) {
    *os << "device " << std::hex << c.device;
}

class VoltageWriteBack : public ::testing::TestWithParam<WriteBackCase> {};

TEST_P(VoltageWriteBack, FillsEachEntryFromItsList) {
    const WriteBackCase& c = GetParam();
    Editor e;
    Bytes image = withTable(c.device, {});
    std::copy(c.table.begin(), c.table.end(), image.begin() + kTable);
    e.open(image);
    for (int list = 1; list <= 3; ++list)
        if (e.form().combo(test::voltageList(list)).enabled)
            e.model.selectEntry(test::voltageList(list),
                                static_cast<int>(e.form().combo(test::voltageList(list)).entries.size()) - 1);
    EXPECT_EQ(tableBytes(e.save(), c.table.size()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Families, VoltageWriteBack,
    ::testing::Values(WriteBackCase{k6800,
                                    {0x10, 0x02, 0x03, 0x00, 0x03, 0x78, 0x00, 0x82, 0x01, 0x8C, 0x02},
                                    {0x10, 0x02, 0x03, 0x00, 0x03, 0x96, 0x03, 0x96, 0x03, 0x96, 0x03}},
                      WriteBackCase{k6800GT,
                                    {0x10, 0x02, 0x03, 0x00, 0x03, 0x78, 0x00, 0x82, 0x01, 0x8C, 0x02},
                                    {0x10, 0x02, 0x03, 0x00, 0x03, 0x96, 0x03, 0x96, 0x03, 0x8C, 0x02}},
                      WriteBackCase{k5600,
                                    {0x10, 0x02, 0x03, 0x00, 0x04, 0x78, 0x01, 0x82, 0x02, 0x8C, 0x03},
                                    {0x10, 0x02, 0x03, 0x00, 0x04, 0x96, 0x04, 0x96, 0x04, 0x96, 0x04}},
                      WriteBackCase{kQuadro1000,
                                    {0x10, 0x02, 0x02, 0x00, 0x03, 0x78, 0x01, 0x82, 0x02, 0x55},
                                    {0x10, 0x02, 0x02, 0x00, 0x03, 0x8C, 0x03, 0x8C, 0x03, 0x55}}));

} // namespace
} // namespace zfx
