// SPDX-License-Identifier: MIT
#include "text/number_text.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace zfx {

namespace {

// The value of c as a digit of the base, or -1 when it is none.
int digitValue(char c, int base) {
    if (c >= '0' && c <= '9') return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Steps over a hex prefix ("$", "x" or "0x") at i and gives the base of the digits behind it.
int skipBasePrefix(std::string_view text, std::size_t& i) {
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        ++i;
        return 16;
    }
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        i += 2;
        return 16;
    }
    return 10;
}

// The value of digits without a sign, or none when a character is no digit or the number grows
// past what textToInt can still give.
std::optional<std::int64_t> digitsValue(std::string_view digits, int base) {
    std::int64_t value = 0;
    for (const char c : digits) {
        const int digit = digitValue(c, base);
        if (digit < 0) return std::nullopt;
        value = value * base + digit;
        // A hex number may use all 32 bits (two's complement); a decimal one must fit as signed.
        if (value > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<std::int32_t> textToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const int base = skipBasePrefix(text, i);
    if (i >= text.size()) return std::nullopt;
    const std::optional<std::int64_t> digits = digitsValue(text.substr(i), base);
    if (!digits) return std::nullopt;
    std::int64_t value = *digits;
    if (base == 16 && value > 0x7FFFFFFFLL) value -= 0x100000000LL;
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::string notAnIntegerText(std::string_view text) {
    std::string message(1, '\'');
    message.append(text);
    message.append("' ist kein g\xC3\xBCltiger Integerwert.");
    return message;
}

std::string voltageText(int tenMillivolts, std::string_view decimalSeparator) {
    std::string text = std::to_string(tenMillivolts / 100);
    const int hundredths = tenMillivolts % 100;
    if (hundredths != 0) {
        text += decimalSeparator;
        text += static_cast<char>('0' + hundredths / 10);
        if (hundredths % 10 != 0) text += static_cast<char>('0' + hundredths % 10);
    }
    return text + "V";
}

std::int32_t hundredthsToMhz(std::uint32_t hundredths) {
    std::uint32_t mhz = hundredths / 100;
    const std::uint32_t rest = hundredths % 100;
    if (rest > 50 || (rest == 50 && mhz % 2 == 1)) ++mhz;
    return static_cast<std::int32_t>(mhz);
}

std::optional<std::int32_t> offsetFromText(std::string_view text) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (text.size() > 1 && (text.back() == 'h' || text.back() == 'H')) {
        text.remove_suffix(1);
        return textToInt("0x" + std::string(text));
    }
    return textToInt(text);
}

std::string hexOffset(std::int64_t offset) {
    if (offset >= 0 && offset <= 0xFFFFFFFF) return hexDigits(static_cast<std::uint32_t>(offset), 1) + "h";
    char text[24];
    std::snprintf(text, sizeof text, "%llXh", static_cast<unsigned long long>(offset));
    return text;
}

namespace {

// The length of the UTF-8 sequence that starts at text[i], or 0 where none does.
std::size_t utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 0 || i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    if ((lead == 0xE0 && byte(i + 1) < 0xA0) || (lead == 0xED && byte(i + 1) > 0x9F) ||
        (lead == 0xF0 && byte(i + 1) < 0x90) || (lead == 0xF4 && byte(i + 1) > 0x8F))
        return 0;
    return length;
}

// The code point of a UTF-8 sequence of the length utf8Length gave.
char32_t codePoint(std::string_view sequence) {
    constexpr std::array<unsigned, 5> kLeadBits{0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t point = static_cast<unsigned char>(sequence[0]) & kLeadBits.at(sequence.size());
    for (std::size_t k = 1; k < sequence.size(); ++k)
        point = (point << 6u) | (static_cast<unsigned char>(sequence[k]) & 0x3Fu);
    return point;
}

// What a terminal acts on rather than shows: the C1 controls, and the bidi controls, after which
// it shows the text reordered (U+061C, U+200E, U+200F, U+202A..U+202E, U+2066..U+2069).
bool actsOnTheTerminal(char32_t point) {
    return (point >= 0x80 && point <= 0x9F) || point == 0x061C || point == 0x200E || point == 0x200F ||
           (point >= 0x202A && point <= 0x202E) || (point >= 0x2066 && point <= 0x2069);
}

} // namespace

std::string visibleText(std::string_view utf8, LineBreaks lineBreaks) {
    std::string text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c >= 0x20 && c < 0x7F) || (c == '\n' && lineBreaks == LineBreaks::Kept)) {
            text += static_cast<char>(c);
            ++i;
        } else if (c == '\r' || c == '\n' || c == '\t') {
            text += c == '\r' ? "\\r" : c == '\n' ? "\\n" : "\\t";
            ++i;
        } else if (const std::size_t length = c < 0x80 ? 0 : utf8Length(utf8, i); length == 0) {
            text += "\\x" + hexDigits(c, 2); // C0, DEL, or a byte that is no UTF-8
            ++i;
        } else if (const char32_t point = codePoint(utf8.substr(i, length)); actsOnTheTerminal(point)) {
            text += "\\u" + hexDigits(point, 4);
            i += length;
        } else {
            text.append(utf8.substr(i, length));
            i += length;
        }
    }
    return text;
}

std::string hexDigits(std::uint32_t value, int digits) {
    // Written by hand: the checks write thousands of these per image, and snprintf was a tenth
    // of an open.
    constexpr char kDigits[] = "0123456789ABCDEF";
    char text[8];
    int length = 0;
    do {
        text[7 - length++] = kDigits[value & 0xFu];
        value >>= 4;
    } while (value != 0);
    std::string padded(static_cast<std::size_t>(std::max(digits - length, 0)), '0');
    padded.append(text + 8 - length, text + 8);
    return padded;
}

std::string hexValue(std::uint32_t value, int digits) {
    return hexDigits(value, digits) + "h";
}

std::string hexByte(std::uint8_t value) {
    return hexValue(value, 2);
}

std::string hexBytes(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += (text.empty() ? "" : " ") + hexDigits(bytes[i], 2);
    return text;
}

std::string sizeText(std::int64_t bytes) {
    if (bytes > 0 && bytes % 1024 == 0) return std::to_string(bytes / 1024) + " KiB";
    return std::to_string(bytes) + " bytes";
}

std::string voltsText(std::uint32_t tenMillivolts) {
    return fixedHundredthsText(tenMillivolts) + " V";
}

std::string shortVoltsText(std::int32_t tenMillivolts) {
    std::string text = voltageText(tenMillivolts, ".");
    text.pop_back(); // the list's "V"
    return text + " V";
}

std::string hundredthsText(std::uint32_t hundredths) {
    return hundredths % 100 == 0 ? std::to_string(hundredths / 100) : fixedHundredthsText(hundredths);
}

std::string fixedHundredthsText(std::uint32_t hundredths) {
    char text[24];
    std::snprintf(text, sizeof text, "%u.%02u", hundredths / 100, hundredths % 100);
    return text;
}

std::string mhzText(std::uint32_t stored, bool hundredths) {
    return (hundredths ? hundredthsText(stored) : std::to_string(stored)) + " MHz";
}

} // namespace zfx
