// SPDX-License-Identifier: MIT
// The bytes two images differ in outside every value and the checksum byte, as runs.
#include "analysis/image_analysis.h"
#include "analysis/image_comparison.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace zfx {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Runs = std::vector<std::pair<std::int32_t, std::int32_t>>;

Runs runsOf(const ImageComparison& compared) {
    Runs runs;
    for (const ByteRange& range : compared.otherBytes)
        runs.emplace_back(range.offset, range.length);
    return runs;
}

// Zero bytes hold no option ROM, so no value lies in them: every differing byte but the last (the
// checksum byte) is another byte.
TEST(OtherBytes, RunsAreFoundAcrossEqualStretchesAndPastTheShorterImage) {
    const Bytes before(4096, 0);
    Bytes after = before;
    // Runs at the start, across the boundaries of 256-byte blocks, alone in a block, and at the
    // end, where the changed checksum byte is no other byte.
    for (const int at : {0, 1, 255, 256, 257, 511, 512, 1000, 1001, 1002, 1003, 4000, 4095})
        after[static_cast<std::size_t>(at)] = 0x5A;
    const ImageComparison same =
        compareImages(analyseImage(BiosImage(before)), analyseImage(BiosImage(after)));
    EXPECT_EQ(runsOf(same), (Runs{{0, 2}, {255, 3}, {511, 2}, {1000, 4}, {4000, 1}}));
    EXPECT_EQ(same.otherBytes[1].before, "00 00 00");
    EXPECT_EQ(same.otherBytes[1].after, "5A 5A 5A");

    // A longer second image: its bytes past the first's end differ, its last is the checksum byte.
    Bytes longer = after;
    longer.resize(4106, 0);
    const ImageComparison grown =
        compareImages(analyseImage(BiosImage(before)), analyseImage(BiosImage(longer)));
    EXPECT_EQ(runsOf(grown), (Runs{{0, 2}, {255, 3}, {511, 2}, {1000, 4}, {4000, 1}, {4096, 9}}));
    EXPECT_EQ(grown.otherBytes.back().before, "");
    EXPECT_EQ(grown.otherBytes.back().after, "00 00 00 00 00 00 00 00 ...");

    EXPECT_TRUE(
        compareImages(analyseImage(BiosImage(before)), analyseImage(BiosImage(before))).otherBytes.empty());
}

} // namespace
} // namespace zfx
