// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zfx::samples {

// Builds synthetic ROM images byte by byte: a 55 AA header, a PCI data structure, a version
// text, tables placed where a test wants them. Nothing here reads a real card's dump.
class ImageBuilder {
  public:
    explicit ImageBuilder(std::size_t size = 65536);

    ImageBuilder& header(); // 55 AA, length in 512-byte blocks
    ImageBuilder& pciData(std::size_t at,
                          std::uint16_t deviceId);         // "PCIR", vendor 10DE, device; 18h points to it
    ImageBuilder& subsystemVendor(std::uint16_t vendorId); // little-endian at 0x54
    ImageBuilder& versionText(std::size_t at, std::string_view text); // "Version " + text + NUL
    ImageBuilder& bytes(std::size_t at, std::initializer_list<std::uint8_t> values);
    ImageBuilder& text(std::size_t at, std::string_view chars);
    ImageBuilder& word(std::size_t at, std::uint16_t value); // little-endian
    // The same 16-bit value into eight fields 4 bytes apart.
    ImageBuilder& eightSlots(std::size_t first, std::uint16_t value);
    // Sets the last byte so that all bytes sum to 0 modulo 256.
    ImageBuilder& checksum();

    const std::vector<std::uint8_t>& image() const { return m_image; }

  private:
    void put(std::size_t at, std::uint8_t value);
    std::vector<std::uint8_t> m_image;
};

} // namespace zfx::samples
