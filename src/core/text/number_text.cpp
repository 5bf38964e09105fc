// SPDX-License-Identifier: MIT
#include "text/number_text.h"

#include <cstdio>

namespace zfx {

std::optional<std::int32_t> textToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0) return std::nullopt;
        value = value * base + digit;
        // A hex number may use all 32 bits (two's complement); a decimal one must fit as signed.
        if (value > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return std::nullopt;
    }
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

std::string hexOffset(std::int64_t offset) {
    char text[24];
    std::snprintf(text, sizeof text, "%llXh", static_cast<unsigned long long>(offset));
    return text;
}

} // namespace zfx
