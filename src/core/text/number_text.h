// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zfx {

// A whole number as the editor converts typed text: leading blanks skipped, an optional sign,
// decimal digits (or hex digits after "$", "x" or "0x"), nothing after them, and a value in the
// signed 32-bit range. Anything else, the empty text included, gives no value.
std::optional<std::int32_t> textToInt(std::string_view text);

// The text of a failed conversion as the default error report shows it.
std::string notAnIntegerText(std::string_view text);

// A voltage in 10 mV units as the lists show it: 130 -> "1.3V", 135 -> "1.35V", 100 -> "1V".
std::string voltageText(int tenMillivolts, std::string_view decimalSeparator);

// A clock stored in hundredths of a MHz, rounded to whole MHz with exact halves to the even
// neighbour: 27549 -> 275, 42550 -> 426, 42450 -> 424.
std::int32_t hundredthsToMhz(std::uint32_t hundredths);

// An offset in the image as the editor's messages give it: 31281 -> "7A31h".
std::string hexOffset(std::int64_t offset);

} // namespace zfx
