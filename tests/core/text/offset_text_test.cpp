// SPDX-License-Identifier: MIT
// Go to offset takes an offset as the messages write it and as people type it.
#include "text/number_text.h"

#include <gtest/gtest.h>

namespace zfx {
namespace {

TEST(OffsetFromText, ReadsTheWaysPeopleWriteAnOffset) {
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> cases{
        {"7A31h", 0x7A31},  {"7a31H", 0x7A31},      {"0x7A31", 0x7A31},
        {"$7A31", 0x7A31},  {"31281", 31281},       {" 7A31h ", 0x7A31},
        {"0", 0},           {"h", std::nullopt},    {"7G31h", std::nullopt},
        {"", std::nullopt}, {"12 34", std::nullopt}};
    for (const auto& [text, offset] : cases)
        EXPECT_EQ(offsetFromText(text), offset) << text;
    // What the messages write reads back as the same offset.
    for (const std::int32_t offset : {0, 0x7A31, 0xFFFFFF})
        EXPECT_EQ(offsetFromText(hexOffset(offset)), offset);
}

} // namespace
} // namespace zfx
