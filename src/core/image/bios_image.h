// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zfx {

// The loaded ROM file: one element per byte, in file order. Every read goes through the
// bounds-checked accessors below; a position outside the image reads as 0 and is never touched.
class BiosImage {
  public:
    BiosImage() = default;
    explicit BiosImage(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    std::int32_t size() const { return static_cast<std::int32_t>(m_bytes.size()); }
    bool empty() const { return m_bytes.empty(); }
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

    // True when every index from first to last (inclusive) lies inside the image.
    bool contains(std::int64_t first, std::int64_t last) const {
        return first >= 0 && last >= first && last < static_cast<std::int64_t>(m_bytes.size());
    }
    // Byte at i, or 0 for a position outside the image.
    std::uint8_t at(std::int64_t i) const {
        return contains(i, i) ? m_bytes[static_cast<std::size_t>(i)] : 0;
    }
    // Little-endian 16-bit number at i and i + 1 (bytes outside read as 0).
    std::uint16_t word(std::int64_t i) const { return static_cast<std::uint16_t>(at(i) | (at(i + 1) << 8)); }
    // Stores one byte; a position outside the image is ignored (the writers check first).
    void set(std::int64_t i, std::uint8_t value) {
        if (contains(i, i)) m_bytes[static_cast<std::size_t>(i)] = value;
    }

    // Upper-case hex text of the bytes from start to start + countMinusOne, two digits each, in
    // file order; empty when countMinusOne < 0.
    std::string hexOfRange(std::int32_t start, std::int32_t countMinusOne) const;
    // The same bytes as single-byte characters, NULs included.
    std::string charsOfRange(std::int32_t start, std::int32_t countMinusOne) const;
    // Index of the first byte of the last occurrence of the pattern (hex text, two digits per
    // byte); 0 when absent, and also when the only occurrence starts at index 0.
    std::int32_t findPattern(std::string_view hexPattern) const;
    // The value (1..256, 0 below two bytes) whose low byte, stored last, makes the bytes sum to
    // 0 modulo 256.
    std::int32_t imageChecksum() const;
    // The byte that, stored at length - 1, makes bytes 0 .. length - 1 sum to 0 (length within
    // the image and at least 1).
    std::uint8_t checksumOver(std::int32_t length) const;

  private:
    std::vector<std::uint8_t> m_bytes;
};

// Turns pattern text such as "50434952DE10" into its bytes; an odd trailing digit is one byte.
std::vector<std::uint8_t> patternBytes(std::string_view hexPattern);

// Start of the last occurrence of needle in haystack, or -1.
std::int64_t lastOccurrence(const std::uint8_t* haystack, std::size_t haystackSize,
                            const std::uint8_t* needle, std::size_t needleSize);

// Bytes read as Latin-1 characters, returned as UTF-8.
std::string latin1ToUtf8(std::string_view latin1);

} // namespace zfx
