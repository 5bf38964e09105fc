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

constexpr std::size_t kMarker = 0x2000;

struct Field {
    std::int32_t offset; // from b
    std::uint16_t stored;
};

struct ClockCase {
    std::string name;
    std::uint16_t device;
    std::uint16_t vendor;
    Bytes marker;
    std::int32_t bFromMarker; // b - marker position
    std::vector<Field> fields;
    std::array<std::string, 6> shown; // Edit1 .. Edit6
    bool stride56 = false;
};

void PrintTo(const ClockCase& c, std::ostream* os) {
    *os << c.name;
}

Bytes clockImage(const ClockCase& c) {
    auto builder = cardImage(c.device);
    builder.subsystemVendor(c.vendor);
    for (std::size_t i = 0; i < c.marker.size(); ++i)
        builder.bytes(kMarker + i, {c.marker[i]});
    const auto b = static_cast<std::size_t>(static_cast<std::int32_t>(kMarker) + c.bFromMarker);
    for (const Field& f : c.fields)
        builder.word(b + static_cast<std::size_t>(f.offset), f.stored);
    return builder.image();
}

class ClockReader : public ::testing::TestWithParam<ClockCase> {};

TEST_P(ClockReader, FindsTheTableAndShowsEachBoxFromItsField) {
    const ClockCase& c = GetParam();
    Editor e;
    e.open(clockImage(c));
    EXPECT_EQ(e.card().offsets.clockTable, static_cast<std::int32_t>(kMarker) + c.bFromMarker);
    ASSERT_TRUE(e.card().clocks.table);
    EXPECT_EQ(e.card().clocks.table->stride56, c.stride56);
    for (int box = 1; box <= 6; ++box) {
        const std::string& expected = c.shown[static_cast<std::size_t>(box - 1)];
        EXPECT_EQ(e.form().edit(test::editBox(box)).text, expected) << "Edit" << box;
        EXPECT_EQ(e.form().edit(test::editBox(box)).enabled, expected != "--") << "Edit" << box;
    }
    const auto texts = e.host.messageTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Couldnt find Clockrates. ;("), 0);
}

constexpr std::uint16_t kNvidia = 0x10DE, kGainward = 0x10B0, kUnknown = 0x0000, kOdd = 0x1234;

INSTANTIATE_TEST_SUITE_P(
    Families, ClockReader,
    ::testing::Values(
        ClockCase{"fx5700le",
                  0x0343,
                  kOdd,
                  {0x00, 0x02, 0x20},
                  0,
                  {{3, 25000}, {7, 20000}, {60, 40000}, {64, 25100}},
                  {"250", "--", "400", "200", "--", "251"}},
        ClockCase{"fx5800",
                  0x0301,
                  kOdd,
                  {0x89, 0x55, 0x20},
                  0,
                  {{3, 30000}, {7, 30100}, {59, 40000}, {63, 40100}, {115, 50000}, {119, 50100}},
                  {"300", "400", "500", "301", "401", "501"}},
        ClockCase{"fx5800_fallback",
                  0x0302,
                  kOdd,
                  {0x89, 0x55, 0x00},
                  1,
                  {{3, 30000}, {7, 30100}, {59, 40000}, {63, 40100}, {115, 50000}, {119, 50100}},
                  {"300", "400", "500", "301", "401", "501"}},
        ClockCase{"quadro1000",
                  0x0309,
                  kOdd,
                  {0x89, 0x55, 0x20},
                  0,
                  {{3, 30000}, {7, 30100}, {59, 40000}, {63, 40100}, {115, 50000}, {119, 50100}},
                  {"300", "400", "500", "301", "401", "501"}},
        ClockCase{"fx5200",
                  0x0322,
                  kOdd,
                  {0x18, 0x02, 0x20},
                  0,
                  {{3, 25000}, {7, 20000}},
                  {"--", "--", "250", "--", "--", "200"}},
        ClockCase{"fx5500_fallback",
                  0x0326,
                  kOdd,
                  {0x18, 0x20},
                  -1,
                  {{3, 27000}, {7, 20000}},
                  {"--", "--", "270", "--", "--", "200"}},
        ClockCase{"fx5600ultra",
                  0x0311,
                  kOdd,
                  {0x18, 0x02, 0x20},
                  0,
                  {{3, 23500}, {35, 40000}, {117, 23600}, {60, 40100}},
                  {"235", "236", "401", "400", "--", "--"}},
        ClockCase{"fx5600",
                  0x0312,
                  kOdd,
                  {0x18, 0x02, 0x20},
                  1,
                  {{2, 23500}, {34, 27500}, {59, 23600}, {116, 32500}},
                  {"235", "236", "325", "275", "--", "--"}},
        ClockCase{"fx5600_1820",
                  0x0314,
                  kOdd,
                  {0x18, 0x20},
                  0,
                  {{2, 23500}, {34, 27500}, {59, 23600}, {116, 32500}},
                  {"235", "236", "325", "275", "--", "--"}},
        ClockCase{"fx5600_stride56",
                  0x0312,
                  kOdd,
                  {0x40, 0x01, 0x20},
                  1,
                  {{2, 23500}, {34, 27500}, {58, 23600}, {114, 32500}},
                  {"235", "236", "325", "275", "--", "--"},
                  true},
        ClockCase{"gf6800ultra_reference",
                  0x0040,
                  kNvidia,
                  {0x18, 0x02, 0x20, 0xFF},
                  0,
                  {{8, 300}, {13, 550}, {38, 400}, {43, 560}},
                  {"300", "--", "400", "550", "--", "560"}},
        ClockCase{"gf6800ultra_unknown",
                  0x0040,
                  kUnknown,
                  {0x18, 0x02, 0x20, 0xFF},
                  0,
                  {{8, 300}, {13, 550}, {38, 400}, {43, 560}},
                  {"300", "--", "400", "550", "--", "560"}},
        ClockCase{"gf6800ultra_vendor",
                  0x0040,
                  kGainward,
                  {0x18, 0x02, 0x20, 0xFF},
                  0,
                  {{8, 300}, {13, 550}, {38, 400}, {43, 560}},
                  {"400", "--", "300", "560", "--", "550"}},
        ClockCase{"gf6800gt",
                  0x0045,
                  kNvidia,
                  {0x18, 0x02, 0x20, 0xFF},
                  0,
                  {{8, 350}, {13, 500}, {38, 300}, {43, 510}},
                  {"--", "--", "350", "--", "--", "500"}},
        ClockCase{"gf6800le",
                  0x0042,
                  kGainward,
                  {0x18, 0x02, 0x20, 0xFF},
                  0,
                  {{8, 325}, {13, 350}, {38, 275}, {43, 360}},
                  {"275", "--", "325", "--", "--", "350"}},
        ClockCase{"fx5900",
                  0x0331,
                  kOdd,
                  {0x18, 0x02, 0x20},
                  0,
                  {{3, 30000}, {7, 42500}, {60, 30100}, {117, 45000}},
                  {"300", "301", "450", "425", "--", "--"}},
        ClockCase{"fx5700",
                  0x0342,
                  kOdd,
                  {0x18, 0x02, 0x20},
                  0,
                  {{3, 30000}, {7, 42500}, {60, 30100}, {117, 45000}},
                  {"300", "301", "450", "425", "--", "--"}},
        ClockCase{"quadro3000",
                  0x0338,
                  kOdd,
                  {0x18, 0x02, 0x20},
                  0,
                  {{3, 30000}, {7, 42500}, {60, 30100}, {117, 45000}},
                  {"300", "301", "450", "425", "--", "--"}}),
    [](const auto& param) { return param.param.name; });

// --- write-back ---

struct WriteCase {
    std::string name;
    std::string sample;
    std::int32_t b;
    std::vector<std::pair<std::int32_t, int>> written; // offset from b, box whose value lands there
    std::array<int, 6> values{101, 102, 103, 104, 105, 106};
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

class ClockWriteBack : public ::testing::TestWithParam<WriteCase> {};

// The byte patterns' own places: the samples without their structure.
TEST_P(ClockWriteBack, StoresEachBoxIntoItsFieldsAndNothingElse) {
    const WriteCase& c = GetParam();
    Editor e;
    const Bytes loaded = test::sampleWithoutStructure(c.sample);
    e.open(loaded);
    ASSERT_EQ(e.card().offsets.clockTable, c.b);
    for (int box = 1; box <= 6; ++box)
        if (e.form().edit(test::editBox(box)).enabled)
            e.model.typeText(test::editBox(box), std::to_string(c.values[static_cast<std::size_t>(box - 1)]));
    const Bytes saved = e.save();
    ASSERT_EQ(saved.size(), loaded.size());
    const bool fx = c.sample.rfind("gf6800", 0) != 0;
    Bytes expected = loaded;
    for (const auto& [offset, box] : c.written) {
        const int v = c.values[static_cast<std::size_t>(box - 1)] * (fx ? 100 : 1);
        expected[static_cast<std::size_t>(c.b + offset)] = static_cast<std::uint8_t>(v & 0xFF);
        expected[static_cast<std::size_t>(c.b + offset + 1)] = static_cast<std::uint8_t>(v >> 8);
    }
    for (std::size_t i = 0; i + 1 < saved.size(); ++i)
        ASSERT_EQ(saved[i], expected[i]) << "byte " << i;
}

std::vector<std::pair<std::int32_t, int>> slots(std::int32_t first, int box) {
    std::vector<std::pair<std::int32_t, int>> fields;
    for (std::int32_t i = 0; i < 8; ++i)
        fields.emplace_back(first + 4 * i, box);
    return fields;
}

std::vector<std::pair<std::int32_t, int>>
join(std::initializer_list<std::vector<std::pair<std::int32_t, int>>> parts) {
    std::vector<std::pair<std::int32_t, int>> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

INSTANTIATE_TEST_SUITE_P(
    Families, ClockWriteBack,
    ::testing::Values(
        WriteCase{"fx5700le", "fx5700-le.rom", 0x2000, join({{{3, 1}, {60, 3}}, slots(7, 4), slots(64, 6)})},
        WriteCase{"fx5800", "fx5800.rom", 0x2000,
                  join({{{3, 1}, {59, 2}, {115, 3}}, slots(7, 4), slots(63, 5), slots(119, 6)})},
        WriteCase{"fx5200", "fx5200.rom", 0x2000, join({{{3, 3}}, slots(7, 6)})},
        WriteCase{"fx5600ultra", "fx5600-ultra.rom", 0x2000,
                  join({{{3, 1}, {117, 2}, {60, 3}}, slots(7, 4)})},
        WriteCase{"fx5600", "fx5600.rom", 0x2001, {{2, 1}, {59, 2}, {116, 3}, {34, 4}, {91, 4}, {148, 4}}},
        WriteCase{"fx5900", "fx5950-ultra.rom", 0x2000, join({{{3, 1}, {60, 2}, {117, 3}}, slots(7, 4)})},
        WriteCase{"gf6800ultra_reference", "gf6800-ultra.rom", 0x2000, {{8, 1}, {13, 4}, {38, 3}, {43, 6}}},
        WriteCase{"gf6800gt", "gf6800-gt.rom", 0x2000, {{8, 3}, {13, 6}}},
        WriteCase{"gf6800plain_vendor", "gf6800.rom", 0x2000, {{8, 3}, {13, 6}, {38, 1}}}),
    [](const auto& param) { return param.param.name; });

TEST(ClockWriteBack, SixEightHundredUltraOfAVendorWritesTheSwappedPairs) {
    Editor e;
    Bytes image = test::sampleBytes("gf6800-ultra.rom");
    image[0x54] = 0xB0; // Gainward
    e.open(image);
    e.model.typeText(Control::Core2D, "310");
    e.model.typeText(Control::Mem2D, "555");
    e.model.typeText(Control::Core3D, "420");
    e.model.typeText(Control::Mem3D, "565");
    const Bytes saved = e.save();
    ASSERT_EQ(saved.size(), image.size());
    EXPECT_EQ(Bytes(saved.begin() + 0x2008, saved.begin() + 0x200A), (Bytes{0xA4, 0x01})); // 3D core 420
    EXPECT_EQ(Bytes(saved.begin() + 0x200D, saved.begin() + 0x200F), (Bytes{0x35, 0x02})); // 3D memory 565
    EXPECT_EQ(Bytes(saved.begin() + 0x2026, saved.begin() + 0x2028), (Bytes{0x36, 0x01})); // 2D core 310
    EXPECT_EQ(Bytes(saved.begin() + 0x202B, saved.begin() + 0x202D), (Bytes{0x2B, 0x02})); // 2D memory 555
}

// A reference 6800 writes its pairs the vendor boards' way first, then its own: a box left alone
// keeps its clock even where the first pass would have put another box's value.
TEST(ClockWriteBack, OneBoxOfAReference6800ChangesThatClockAlone) {
    for (const bool structure : {true, false}) {
        const Bytes image = structure ? test::sampleBytes("gf6800-ultra.rom")
                                      : test::sampleWithoutStructure("gf6800-ultra.rom");
        for (const Control box : {Control::Core2D, Control::Mem2D, Control::Core3D, Control::Mem3D}) {
            Editor e;
            e.open(image);
            const FormState before = e.form();
            e.model.typeText(box, "333");
            Editor reopened;
            reopened.open(e.save());
            for (const Control other : kClockBoxes)
                EXPECT_EQ(reopened.form().edit(other).text, other == box ? "333" : before.edit(other).text)
                    << captionOf(box) << " changed " << captionOf(other);
        }
    }
}

TEST(ClockWriteBack, FiveSixHundredWithEntries56ApartWritesItsOwnPlaces) {
    Editor e;
    auto builder = cardImage(0x0312);
    builder.bytes(0x3000, {0x40, 0x01, 0x20});
    for (std::size_t i = 0x3000 + 3; i < 0x3000 + 200; ++i)
        builder.bytes(i, {0xEE});
    const Bytes loaded = builder.image();
    e.open(loaded);
    const std::int32_t b = 0x3001;
    ASSERT_EQ(e.card().offsets.clockTable, b);
    ASSERT_TRUE(e.card().clocks.table && e.card().clocks.table->stride56);
    for (const int box : {1, 2, 3, 4})
        e.model.typeText(test::editBox(box), "300"); // 30000 = 30 75
    const Bytes saved = e.save();
    ASSERT_EQ(saved.size(), loaded.size());
    for (const std::int32_t offset : {2, 34, 58, 114, 90, 146}) {
        EXPECT_EQ(saved[static_cast<std::size_t>(b + offset)], 0x30) << offset;
        EXPECT_EQ(saved[static_cast<std::size_t>(b + offset + 1)], 0x75) << offset;
    }
    for (const std::int32_t untouched : {60, 92, 116, 117, 148, 149})
        EXPECT_EQ(saved[static_cast<std::size_t>(b + untouched)], 0xEE);
}

TEST(ClockWriteBack, ExampleBytesOfFx5800And6800Gt) {
    Editor fx5800;
    fx5800.open(test::sampleBytes("fx5800.rom"));
    fx5800.model.typeText(Control::Core2D, "300");
    auto saved = fx5800.save();
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(Bytes(saved.begin() + 0x2003, saved.begin() + 0x2005), (Bytes{0x30, 0x75}));
    Editor gt;
    gt.open(test::sampleBytes("gf6800-gt.rom"));
    gt.model.typeText(Control::Core3D, "400");
    saved = gt.save();
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(Bytes(saved.begin() + 0x2008, saved.begin() + 0x200A), (Bytes{0x90, 0x01}));
}

// --- rounding ---

struct RoundingCase {
    std::uint16_t stored;
    std::string shown;
};

void PrintTo(const RoundingCase& c, std::ostream* os) {
    *os << c.stored << " hundredths";
}

class FxRounding : public ::testing::TestWithParam<RoundingCase> {};

// A box that still shows the program's rounded text writes nothing, even when typed over with
// that same text: the stored hundredths stay. Another value is written in whole MHz.
TEST_P(FxRounding, ShowsWholeMegahertzWithHalvesToEvenAndAnUntouchedBoxKeepsTheStoredValue) {
    Editor e;
    Bytes image = test::sampleBytes("fx5200.rom");
    image[0x2003] = static_cast<std::uint8_t>(GetParam().stored & 0xFF);
    image[0x2004] = static_cast<std::uint8_t>(GetParam().stored >> 8);
    e.open(image);
    EXPECT_EQ(e.form().edit(Control::Core3D).text, GetParam().shown);
    const Bytes stored(image.begin() + 0x2003, image.begin() + 0x2005);
    Bytes saved = e.save();
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(Bytes(saved.begin() + 0x2003, saved.begin() + 0x2005), stored);
    e.model.typeText(Control::Core3D, "1");
    e.model.typeText(Control::Core3D, GetParam().shown);
    saved = e.save("again.rom");
    EXPECT_EQ(Bytes(saved.begin() + 0x2003, saved.begin() + 0x2005), stored);
    e.model.typeText(Control::Core3D, "300");
    saved = e.save("edited.rom");
    EXPECT_EQ(Bytes(saved.begin() + 0x2003, saved.begin() + 0x2005), (Bytes{0x30, 0x75})); // 30000
}

INSTANTIATE_TEST_SUITE_P(Examples, FxRounding,
                         ::testing::Values(RoundingCase{27500, "275"}, RoundingCase{27549, "275"},
                                           RoundingCase{42550, "426"}, RoundingCase{42450, "424"},
                                           RoundingCase{27551, "276"}, RoundingCase{50, "0"},
                                           RoundingCase{150, "2"}, RoundingCase{65535, "655"}));

// --- not found ---

struct MissingCase {
    std::uint16_t device;
    std::int32_t offsetAfter; // clockTableOffset after a load without table; -1: kept from before
};

void PrintTo(const MissingCase& c, std::ostream* os) {
    *os << "device " << std::hex << c.device;
}

class MissingClockTable : public ::testing::TestWithParam<MissingCase> {};

TEST_P(MissingClockTable, ReportsOnceKeepsTheBoxesAndSetsTheFamilysOffset) {
    Editor e;
    e.open(test::sampleBytes("fx5950-ultra.rom"), "first.rom");
    ASSERT_EQ(e.card().offsets.clockTable, 0x2000);
    e.host.clear();
    e.open(cardImage(GetParam().device).image());
    const auto texts = e.host.messageTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Couldnt find Clockrates. ;("), 1);
    for (int box = 1; box <= 6; ++box) {
        EXPECT_EQ(e.form().edit(test::editBox(box)).text, "--");
        EXPECT_FALSE(e.form().edit(test::editBox(box)).enabled);
    }
    EXPECT_EQ(e.card().offsets.clockTable, GetParam().offsetAfter < 0 ? 0x2000 : GetParam().offsetAfter);
    // The boxes still hold the program's "--": they write nothing, and the save only sets the checksum.
    const Bytes saved = e.save();
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(e.host.messages.back().text, "File saved.");
    EXPECT_TRUE(e.model.lastSave()->changes.empty());
}

INSTANTIATE_TEST_SUITE_P(Families, MissingClockTable,
                         ::testing::Values(MissingCase{0x0343, -1}, MissingCase{0x0301, -1},
                                           MissingCase{0x0322, -1}, MissingCase{0x0311, -1},
                                           MissingCase{0x0312, 1}, MissingCase{0x0040, 0},
                                           MissingCase{0x0330, 0}));

TEST(MissingClockTable, MarkerInTheLastBytesIsNoTable) {
    const std::vector<std::pair<std::uint16_t, Bytes>> markers{
        {0x0312, {0x18, 0x02, 0x20}},       {0x0312, {0x40, 0x01, 0x20}}, {0x0330, {0x18, 0x02, 0x20}},
        {0x0040, {0x18, 0x02, 0x20, 0xFF}}, {0x0301, {0x89, 0x55, 0x20}}, {0x0301, {0x89, 0x55, 0x00}},
        {0x0322, {0x18, 0x02, 0x20}},       {0x0322, {0x18, 0x20}},       {0x0343, {0x00, 0x02, 0x20}},
        {0x0311, {0x18, 0x02, 0x20}}};
    for (const auto& [device, marker] : markers) {
        Editor e;
        auto builder = cardImage(device, 0x1000);
        for (std::size_t i = 0; i < marker.size(); ++i)
            builder.bytes(0x1000 - 30 + i, {marker[i]});
        const Bytes loaded = builder.image();
        e.open(loaded);
        const auto texts = e.host.messageTexts();
        EXPECT_EQ(std::count(texts.begin(), texts.end(), "Couldnt find Clockrates. ;("), 1) << device;
        EXPECT_FALSE(e.card().clocks.table.has_value());
        EXPECT_FALSE(e.form().edit(Control::Core3D).enabled);
    }
}

TEST(UnsupportedDevice, HasNoClockTableAndNoMessageForIt) {
    Editor e;
    e.open(test::sampleBytes("unsupported.rom"));
    EXPECT_EQ(e.host.messageTexts(), (std::vector<std::string>{"Device unsupported : 0003"}));
}

// --- range checks ---

struct RangeCase {
    std::string sample;
    int box;
    std::string value;
    bool accepted;
};

void PrintTo(const RangeCase& c, std::ostream* os) {
    *os << c.sample << " Edit" << c.box << " \"" << c.value << "\"";
}

class ClockRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(ClockRange, ValuesThatDoNotFitSixteenBitsAreRefusedBeforeAnythingChanges) {
    const RangeCase& c = GetParam();
    Editor e;
    e.open(test::sampleBytes(c.sample));
    const Bytes before = e.analysis().image.bytes();
    e.model.typeText(test::editBox(c.box), c.value);
    const Bytes saved = e.save();
    EXPECT_EQ(!saved.empty(), c.accepted);
    if (!c.accepted) {
        EXPECT_EQ(e.host.messages.back().text, "Cant open File!");
        // The field as people know it starts the refusal; no widget name appears.
        const std::string& detail = e.host.messages.back().detail;
        EXPECT_EQ(detail.rfind(std::string(captionOf(test::editBox(c.box))) + " ", 0), 0u) << detail;
        EXPECT_EQ(detail.find("Edit"), std::string::npos) << detail;
        EXPECT_EQ(e.analysis().image.bytes(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Boxes, ClockRange,
                         ::testing::Values(RangeCase{"fx5950-ultra.rom", 3, "655", true},
                                           RangeCase{"fx5950-ultra.rom", 3, "656", false},
                                           RangeCase{"fx5950-ultra.rom", 4, "99999999999", false},
                                           RangeCase{"fx5950-ultra.rom", 1, "", false},
                                           RangeCase{"gf6800-gt.rom", 6, "65535", true},
                                           RangeCase{"gf6800-gt.rom", 6, "65536", false},
                                           RangeCase{"fx5200.rom", 6, "", false}));

TEST(ClockRange, RefusalNamesTheFieldAndItsRange) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"));
    e.model.typeText(Control::Core3D, "700");
    e.save();
    EXPECT_EQ(e.host.messages.back().detail, "3D core clock is 700; it must be 0 to 655 MHz.");
}

// --- memory-rate labels ---

TEST(MemoryRate, ChangeHandlerShowsTwiceTheClockSkipsEmptyAndDashesForThePlaceholder) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"));
    e.model.typeText(Control::Mem2D, "275");
    EXPECT_EQ(e.form().memoryRate2D, "(550Mhz DDR)");
    e.model.typeText(Control::Mem2D, "");
    EXPECT_EQ(e.form().memoryRate2D, "(550Mhz DDR)");
    // A box that shows "--" has no clock, and its label no rate.
    e.model.typeText(Control::MemThrottle, "--");
    EXPECT_EQ(e.form().memoryRateThrottle, "--");
    e.model.typeText(Control::Mem3D, "2000000000");
    EXPECT_EQ(e.form().memoryRate3D, "(4000000000Mhz DDR)");
    for (const auto& m : e.host.messages)
        EXPECT_FALSE(m.isError);
}

TEST(MemoryRate, KeyReleaseHandlerSkipsOnlyTheEmptyText) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"));
    e.model.typeText(Control::MemThrottle, "");
    e.model.keyReleased(Control::MemThrottle);
    EXPECT_EQ(e.form().memoryRateThrottle, "(800Mhz DDR)");
    EXPECT_TRUE(e.host.messages.empty());
    e.model.typeText(Control::MemThrottle, "--");
    e.model.keyReleased(Control::MemThrottle);
    ASSERT_EQ(e.host.messages.size(), 1u);
    EXPECT_EQ(e.host.messages[0].text, "'--' ist kein g\xC3\xBCltiger Integerwert.");
    EXPECT_TRUE(e.host.messages[0].isError);
    EXPECT_EQ(e.form().memoryRateThrottle, "--");
}

TEST(MemoryRate, NumberBeyondThirtyTwoBitsReachesTheDefaultErrorReport) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"));
    e.model.typeText(Control::Mem3D, "99999999999");
    ASSERT_EQ(e.host.messages.size(), 1u);
    EXPECT_EQ(e.host.messages[0].text, "'99999999999' ist kein g\xC3\xBCltiger Integerwert.");
    EXPECT_EQ(e.form().memoryRate3D, "(1000Mhz DDR)");
}

TEST(MemoryRate, LabelsOfRowsTheNewCardDoesNotUseShowDashes) {
    Editor e;
    e.open(test::sampleBytes("fx5800.rom"));
    e.open(test::sampleBytes("fx5950-ultra.rom"), "b.rom");
    EXPECT_EQ(e.form().memoryRate3D, "--");
    EXPECT_EQ(e.form().memoryRateThrottle, "--");
    EXPECT_EQ(e.form().memoryRate2D, "(950Mhz DDR)");
    EXPECT_EQ(e.form().edit(Control::Mem3D).text, "--");
    EXPECT_EQ(e.form().edit(Control::MemThrottle).text, "--");
}

} // namespace
} // namespace zfx
