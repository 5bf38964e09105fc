// SPDX-License-Identifier: MIT
// Text from an image or a file name, as a terminal or a label shows it.
#include "text/number_text.h"

#include <gtest/gtest.h>

namespace zfx {
namespace {

struct VisibleCase {
    const char* name;
    std::string in;
    std::string shown;
};

class VisibleText : public ::testing::TestWithParam<VisibleCase> {};

TEST_P(VisibleText, ControlCharactersAndBrokenUtf8AreEscaped) {
    EXPECT_EQ(visibleText(GetParam().in), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, VisibleText,
    ::testing::Values(VisibleCase{"plain", "4.36.20.21.00", "4.36.20.21.00"},
                      VisibleCase{"utf8_kept",
                                  "Gr\xC3\xBC\xC3\x9F"
                                  "e \xE2\x82\xAC",
                                  "Gr\xC3\xBC\xC3\x9F"
                                  "e \xE2\x82\xAC"},
                      VisibleCase{"escape_sequence", "\x1B]0;owned\x07", "\\x1B]0;owned\\x07"},
                      VisibleCase{"forged_line", "1.0\r\nDevice: x", "1.0\\r\\nDevice: x"},
                      VisibleCase{"tab_and_del", "a\tb\x7F", "a\\tb\\x7F"},
                      VisibleCase{"c1_csi",
                                  "\xC2\x9B"
                                  "2J",
                                  "\\u009B2J"},
                      VisibleCase{"latin1_byte", "caf\xE9.rom", "caf\\xE9.rom"},
                      VisibleCase{"cut_sequence", "x\xE2\x82", "x\\xE2\\x82"},
                      VisibleCase{"overlong", "\xC0\xAF", "\\xC0\\xAF"},
                      VisibleCase{"surrogate", "\xED\xA0\x80", "\\xED\\xA0\\x80"}),
    [](const auto& param) { return std::string(param.param.name); });

} // namespace
} // namespace zfx
