// SPDX-License-Identifier: MIT
#include "image/bios_image.h"

#include <cstring>

namespace zfx {

namespace {

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

} // namespace

std::string BiosImage::hexOfRange(std::int32_t start, std::int32_t countMinusOne) const {
    std::string text;
    if (countMinusOne < 0) return text;
    const std::int64_t count = static_cast<std::int64_t>(countMinusOne) + 1;
    text.reserve(static_cast<std::size_t>(count) * 2);
    for (std::int64_t i = 0; i < count; ++i) {
        const std::uint8_t value = at(static_cast<std::int64_t>(start) + i);
        text += kHexDigits[value >> 4];
        text += kHexDigits[value & 0x0F];
    }
    return text;
}

std::string BiosImage::charsOfRange(std::int32_t start, std::int32_t countMinusOne) const {
    std::string text;
    if (countMinusOne < 0) return text;
    const std::int64_t count = static_cast<std::int64_t>(countMinusOne) + 1;
    text.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i)
        text += static_cast<char>(at(static_cast<std::int64_t>(start) + i));
    return text;
}

std::vector<std::uint8_t> patternBytes(std::string_view hexPattern) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < hexPattern.size(); i += 2) {
        int value = hexDigitValue(hexPattern[i]);
        if (i + 1 < hexPattern.size()) value = value * 16 + hexDigitValue(hexPattern[i + 1]);
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

namespace {

// The needle byte least likely to be common in a ROM image: not padding (00, FF), not lower-case
// text; the scan jumps from one occurrence of it to the previous.
std::size_t anchorIndex(const std::uint8_t* needle, std::size_t size) {
    auto commonness = [](std::uint8_t b) {
        if (b == 0x00 || b == 0xFF) return 3;
        if (b == 0x20 || (b >= 0x61 && b <= 0x7A)) return 2;
        return b < 0x10 ? 1 : 0;
    };
    std::size_t best = 0;
    for (std::size_t i = 1; i < size; ++i)
        if (commonness(needle[i]) < commonness(needle[best])) best = i;
    return best;
}

// The last occurrence of byte in [first, first + size), or nullptr.
const std::uint8_t* lastByte(const std::uint8_t* first, std::uint8_t byte, std::size_t size) {
#if defined(__GLIBC__)
    return static_cast<const std::uint8_t*>(memrchr(first, byte, size));
#else
    for (std::size_t i = size; i > 0; --i)
        if (first[i - 1] == byte) return first + i - 1;
    return nullptr;
#endif
}

} // namespace

std::int64_t lastOccurrence(const std::uint8_t* haystack, std::size_t haystackSize,
                            const std::uint8_t* needle, std::size_t needleSize) {
    if (needleSize == 0 || needleSize > haystackSize) return -1;
    const std::size_t anchor = anchorIndex(needle, needleSize);
    // A match starting at s has needle[anchor] at s + anchor, for s from 0 to size - needleSize.
    const std::uint8_t* anchors = haystack + anchor;
    std::size_t starts = haystackSize - needleSize + 1;
    while (starts > 0) {
        const std::uint8_t* hit = lastByte(anchors, needle[anchor], starts);
        if (!hit) return -1;
        const auto start = static_cast<std::size_t>(hit - anchors);
        if (std::memcmp(haystack + start, needle, needleSize) == 0) return static_cast<std::int64_t>(start);
        starts = start;
    }
    return -1;
}

std::int32_t BiosImage::findPattern(std::string_view hexPattern) const {
    const std::vector<std::uint8_t> needle = patternBytes(hexPattern);
    const std::int64_t found = lastOccurrence(m_bytes.data(), m_bytes.size(), needle.data(), needle.size());
    return found > 0 ? static_cast<std::int32_t>(found) : 0;
}

std::int32_t BiosImage::imageChecksum() const {
    if (m_bytes.size() < 2) return 0;
    // The sum of 256 - byte over every byte but the last, kept within 1 to 256: minus the bytes' sum
    // modulo 256, where 0 is 256. The bytes add up as bytes, a loop the compiler vectorises.
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < m_bytes.size(); ++i)
        sum = static_cast<std::uint8_t>(sum + m_bytes[i]);
    const std::int32_t rest = (256 - sum) % 256;
    return rest == 0 ? 256 : rest;
}

std::uint8_t BiosImage::checksumOver(std::int32_t length) const {
    std::uint8_t sum = 0;
    for (std::int32_t i = 0; i + 1 < length; ++i)
        sum = static_cast<std::uint8_t>(sum + m_bytes[static_cast<std::size_t>(i)]);
    return static_cast<std::uint8_t>(0x100 - sum);
}

std::string latin1ToUtf8(std::string_view latin1) {
    std::string utf8;
    utf8.reserve(latin1.size());
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

} // namespace zfx
