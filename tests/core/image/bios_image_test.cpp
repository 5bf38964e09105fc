// SPDX-License-Identifier: MIT
#include "image/bios_image.h"

#include <gtest/gtest.h>

#include <ostream>

#include <random>

namespace zfx {
namespace {

BiosImage image(std::vector<std::uint8_t> bytes) {
    return BiosImage(std::move(bytes));
}

TEST(HexOfRange, GivesTwoUpperCaseDigitsPerByteInFileOrder) {
    const BiosImage img = image({0x45, 0x00, 0x0A, 0xDE, 0x05});
    EXPECT_EQ(img.hexOfRange(0, 1), "4500");
    EXPECT_EQ(img.hexOfRange(2, 0), "0A");
    EXPECT_EQ(img.hexOfRange(3, 1), "DE05");
    EXPECT_EQ(img.hexOfRange(0, -1), "");
    EXPECT_EQ(img.hexOfRange(0, -7), "");
}

TEST(HexOfRange, ReadsPositionsOutsideTheImageAsZero) {
    const BiosImage img = image({0x32, 0x03, 0x11, 0x22, 0x33, 0x44, 0x55});
    EXPECT_EQ(img.hexOfRange(6, 1), "5500"); // byte 7 of a 7-byte image is missing
    EXPECT_EQ(img.hexOfRange(-2, 2), "000032");
    EXPECT_EQ(image({}).hexOfRange(84, 1), "0000");
}

TEST(CharsOfRange, KeepsNulBytesAndGivesCountPlusOneCharacters) {
    const BiosImage img = image({'4', '.', 0x00, '1', 0xE9});
    const std::string text = img.charsOfRange(0, 14);
    ASSERT_EQ(text.size(), 15u);
    EXPECT_EQ(text.substr(0, 5), std::string("4.\0"
                                             "1\xE9",
                                             5));
    EXPECT_EQ(img.charsOfRange(0, -1), "");
}

TEST(FindPattern, ReturnsStartOfLastOccurrence) {
    const BiosImage img = image({0x00, 0x18, 0x02, 0x20, 0x00, 0x18, 0x02, 0x20, 0x01});
    EXPECT_EQ(img.findPattern("180220"), 5);
    EXPECT_EQ(img.findPattern("1820"), 0);
}

TEST(FindPattern, MatchAtIndexZeroReadsAsNotFound) {
    EXPECT_EQ(image({0x18, 0x02, 0x20, 0x00}).findPattern("180220"), 0);
}

TEST(FindPattern, MatchEndingAtTheLastByteIsFound) {
    EXPECT_EQ(image({0x00, 0x00, 0x89, 0x55, 0x20}).findPattern("895520"), 2);
}

TEST(FindPattern, PatternLongerThanImageOrEmptyImageIsNotFound) {
    EXPECT_EQ(image({0x10, 0x02}).findPattern("100203"), 0);
    EXPECT_EQ(image({}).findPattern("1820"), 0);
}

TEST(FindPattern, AcceptsLowerCaseDigits) {
    EXPECT_EQ(image({0x00, 0xDE, 0x10}).findPattern("de10"), 1);
}

TEST(FindPattern, FindsOccurrenceOverlappingAFailedPartialMatch) {
    // 10 02 02 02: the backward scan may pass over the match at 1; the true last one is allowed.
    const BiosImage img = image({0x00, 0x10, 0x02, 0x02, 0x02});
    const std::int32_t found = img.findPattern("100202");
    EXPECT_TRUE(found == 1 || found == 0);
    EXPECT_EQ(found, 1);
}

// A plain reference: the largest start at which every byte matches.
std::int64_t naiveLast(const std::vector<std::uint8_t>& hay, const std::vector<std::uint8_t>& needle) {
    for (std::int64_t s = static_cast<std::int64_t>(hay.size()) - static_cast<std::int64_t>(needle.size());
         s >= 0; --s)
        if (std::equal(needle.begin(), needle.end(), hay.begin() + s)) return s;
    return -1;
}

TEST(FindPattern, AgreesWithAPlainSearchOnRandomImages) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> hay(random() % 200);
        for (auto& b : hay)
            b = static_cast<std::uint8_t>(random() % 4); // few symbols: many partial matches
        std::vector<std::uint8_t> needle(1 + random() % 6);
        for (auto& b : needle)
            b = static_cast<std::uint8_t>(random() % 4);
        EXPECT_EQ(lastOccurrence(hay.data(), hay.size(), needle.data(), needle.size()),
                  naiveLast(hay, needle));
    }
}

struct ChecksumCase {
    std::vector<std::uint8_t> bytes;
    std::int32_t expected;
};

void PrintTo(const ChecksumCase& c, std::ostream* os) {
    *os << c.bytes.size() << " bytes, checksum " << c.expected;
}

class ImageChecksum : public ::testing::TestWithParam<ChecksumCase> {};

TEST_P(ImageChecksum, MakesTheByteSumZero) {
    EXPECT_EQ(image(GetParam().bytes).imageChecksum(), GetParam().expected);
}

// The sum as the design's loop takes it, 256 - byte a step and 256 taken off past 256: the sum the
// bytes add up to as bytes must give the same, 256 where the loop ends on 256.
TEST(ImageChecksum, IsTheDesignsStepByStepSum) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::uint8_t> bytes(random() % 700);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(round % 3 == 0 ? 0 : random() % 256);
        std::int32_t sum = 0;
        for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
            sum += 256 - bytes[i];
            if (sum > 256) sum -= 256;
        }
        EXPECT_EQ(image(bytes).imageChecksum(), sum) << bytes.size() << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ImageChecksum,
                         ::testing::Values(ChecksumCase{{}, 0}, ChecksumCase{{0x42}, 0},
                                           ChecksumCase{{0x10, 0x00}, 240}, ChecksumCase{{0x00, 0x77}, 256},
                                           ChecksumCase{{0xFF, 0x01, 0x99}, 256},
                                           ChecksumCase{{0x80, 0x81, 0x00}, 255},
                                           ChecksumCase{{0x01, 0x01, 0x01, 0x00}, 253}));

TEST(Latin1ToUtf8, KeepsAsciiAndEncodesHighBytes) {
    EXPECT_EQ(latin1ToUtf8("V1.0"), "V1.0");
    EXPECT_EQ(latin1ToUtf8("\xE9\xFF"), "\xC3\xA9\xC3\xBF");
}

} // namespace
} // namespace zfx
