// SPDX-License-Identifier: MIT
#include "tables/card_data.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zfx {
namespace {

class CardDataOfSample : public ::testing::TestWithParam<std::string> {};

// The card data read from bytes are what the window shows after the same open.
TEST_P(CardDataOfSample, AgreesWithTheWindowAfterAnOpen) {
    const auto& bytes = test::sampleBytes(GetParam());
    const CardData data = readCardData(BiosImage(bytes));
    test::Editor e;
    e.open(bytes);
    e.model.setChecked(Control::TimingEdit, true);

    EXPECT_EQ(e.form().deviceName, data.identity.deviceName);
    EXPECT_EQ(e.form().biosVersion, data.identity.biosVersion);
    EXPECT_EQ(e.form().vendorName, data.identity.vendorName);
    EXPECT_EQ(e.card().offsets.pciData, data.identity.pciDataOffset);
    EXPECT_EQ(e.card().identity.flags.names(), data.identity.flags.names());

    ASSERT_EQ(data.voltages.table.has_value(), hasVoltageTable(data.identity.flags));
    if (data.voltages.table) {
        EXPECT_EQ(e.form().combo(Control::Voltage2D).entries.size(), data.voltages.table->offered.size());
    }

    // The levels-only samples are of a family with a clock table, but without its marker.
    const bool levelsOnly = GetParam().find("levels-only") != std::string::npos;
    ASSERT_EQ(data.clocks.table.has_value(), data.clocks.family != ClockFamily::None && !levelsOnly);
    if (data.clocks.table) {
        for (const ShownClock& clock : data.clocks.table->shown)
            EXPECT_EQ(e.form().edit(controlFor(clock.field)).text, std::to_string(clock.mhz));
    }

    if (data.timings.timings) {
        for (const TimingByte& byte : data.timings.timings->shown)
            EXPECT_EQ(e.form().edit(controlFor(byte.field)).text, std::to_string(byte.value));
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, CardDataOfSample, ::testing::ValuesIn(test::sampleNames()));

TEST(CardData, BytesOfNoCardReadAsNothingFound) {
    for (const std::vector<std::uint8_t>& bytes :
         {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{0x55},
          std::vector<std::uint8_t>(300, 0xFF)}) {
        const CardData data = readCardData(BiosImage(bytes));
        EXPECT_EQ(data.identity.deviceName, "Unsupported!");
        EXPECT_FALSE(data.voltages.table);
        EXPECT_FALSE(data.clocks.table);
        EXPECT_FALSE(data.timings.timings);
    }
}

} // namespace
} // namespace zfx
