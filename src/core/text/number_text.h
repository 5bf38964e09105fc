// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
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
// An offset as people type it: "7A31h" as the messages write it, "0x7A31" or "$7A31", or decimal
// "31281"; no value for anything else.
std::optional<std::int32_t> offsetFromText(std::string_view text);

// Whether a shown text keeps its line breaks: only one of several lines that the program itself
// wrote does; a line break in a name, a value or a file's text is escaped like any control.
enum class LineBreaks { Escaped, Kept };

// Text from an image, a file, a file's name or an argument as a terminal or a label may show it:
// control characters (C0, DEL and C1), the bidi controls (U+061C, U+200E, U+200F, U+202A..U+202E,
// U+2066..U+2069) and bytes that are no UTF-8 are written visibly escaped ("\x1B", "\r",
// "\u009B", "\u202E"), so that no such text can move the cursor, set a title, forge a line or show
// the text after it reordered. Every text that the program did not make itself is shown through
// this one function.
std::string visibleText(std::string_view utf8, LineBreaks lineBreaks = LineBreaks::Escaped);

// Every other number the program writes for people, in one place.

// Upper-case hex digits, at least the given count: (0x312, 4) -> "0312", (0x3A, 2) -> "3A".
std::string hexDigits(std::uint32_t value, int digits);
// A value in hex with its unit, at least the given digits: (0x20, 4) -> "0020h".
std::string hexValue(std::uint32_t value, int digits);
// A byte as the checks name it: 0x3A -> "3Ah".
std::string hexByte(std::uint8_t value);
// Bytes as a dump shows them: "55 AA 7E".
std::string hexBytes(const std::uint8_t* bytes, std::size_t count);
// A size: whole KiB as "64 KiB", anything else as "65000 bytes".
std::string sizeText(std::int64_t bytes);
// A voltage in 10 mV units with two decimals, as the structure gives it: 130 -> "1.30 V".
std::string voltsText(std::uint32_t tenMillivolts);
// The lists' voltage text with a point and a spaced unit: 130 -> "1.3 V".
std::string shortVoltsText(std::int32_t tenMillivolts);
// Hundredths of a MHz as a number of MHz, the fraction only where there is one: 27549 ->
// "275.49", 47500 -> "475".
std::string hundredthsText(std::uint32_t hundredths);
// The same with the fraction always written: 47500 -> "475.00".
std::string fixedHundredthsText(std::uint32_t hundredths);
// A clock as stored, in MHz with its unit: hundredths on GeForce FX ("275.49 MHz"), whole MHz on
// GeForce 6 ("350 MHz").
std::string mhzText(std::uint32_t stored, bool hundredths);

} // namespace zfx
