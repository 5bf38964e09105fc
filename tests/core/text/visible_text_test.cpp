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
    ::testing::Values(
        VisibleCase{"plain", "4.36.20.21.00", "4.36.20.21.00"},
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
        VisibleCase{"surrogate", "\xED\xA0\x80", "\\xED\\xA0\\x80"},
        // The bidi controls reorder the text after them: "a", U+202E, "gpj.rom" shows as "amor.jpg".
        VisibleCase{"right_to_left_override", "a\xE2\x80\xAEgpj.rom", "a\\u202Egpj.rom"},
        VisibleCase{"arabic_letter_mark", "\xD8\x9C.rom", "\\u061C.rom"},
        VisibleCase{"marks", "\xE2\x80\x8E\xE2\x80\x8F", "\\u200E\\u200F"},
        VisibleCase{"embeddings_and_pop", "\xE2\x80\xAA\xE2\x80\xAB\xE2\x80\xAC\xE2\x80\xAD",
                    "\\u202A\\u202B\\u202C\\u202D"},
        VisibleCase{"isolates", "\xE2\x81\xA6\xE2\x81\xA7\xE2\x81\xA8\xE2\x81\xA9",
                    "\\u2066\\u2067\\u2068\\u2069"},
        // Their neighbours are text like any other.
        VisibleCase{"neighbours_kept", "\xE2\x80\x8D\xE2\x80\xAF\xE2\x81\xA5\xE2\x81\xAA\xD8\x9B",
                    "\xE2\x80\x8D\xE2\x80\xAF\xE2\x81\xA5\xE2\x81\xAA\xD8\x9B"}),
    [](const auto& param) { return std::string(param.param.name); });

// A text of several lines that the program wrote keeps its line breaks, and only them.
TEST(VisibleLines, KeepTheirLineFeedsAndEscapeEverythingElse) {
    const std::string text = "one\ntwo\r\n\x1B[2J\xE2\x80\xAE\n";
    EXPECT_EQ(visibleText(text, LineBreaks::Kept), "one\ntwo\\r\n\\x1B[2J\\u202E\n");
    EXPECT_EQ(visibleText(text), "one\\ntwo\\r\\n\\x1B[2J\\u202E\\n");
}

} // namespace
} // namespace zfx
