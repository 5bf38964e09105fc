// SPDX-License-Identifier: MIT
#include "image_builder.h"

#include <stdexcept>

namespace zfx::samples {

ImageBuilder::ImageBuilder(std::size_t size) : m_image(size, 0) {}

void ImageBuilder::put(std::size_t at, std::uint8_t value) {
    if (at >= m_image.size())
        throw std::out_of_range("image builder: byte " + std::to_string(at) + " is outside");
    m_image[at] = value;
}

ImageBuilder& ImageBuilder::header() {
    put(0, 0x55);
    put(1, 0xAA);
    put(2, static_cast<std::uint8_t>(std::min<std::size_t>(m_image.size() / 512, 255)));
    return *this;
}

ImageBuilder& ImageBuilder::pciData(std::size_t at, std::uint16_t deviceId) {
    word(0x18, static_cast<std::uint16_t>(at)); // the header's pointer to it
    text(at, "PCIR");
    bytes(at + 4, {0xDE, 0x10});
    word(at + 6, deviceId);
    // structure length 0x18, revision 0, class 03 00 00 (VGA), image length, code type 0, last image
    bytes(at + 10, {0x18, 0x00, 0x00, 0x00, 0x00, 0x03});
    word(at + 16, static_cast<std::uint16_t>(m_image.size() / 512));
    bytes(at + 20, {0x00, 0x80});
    return *this;
}

ImageBuilder& ImageBuilder::subsystemVendor(std::uint16_t vendorId) {
    return word(0x54, vendorId);
}

ImageBuilder& ImageBuilder::versionText(std::size_t at, std::string_view version) {
    text(at, "Version ");
    text(at + 8, version);
    return bytes(at + 8 + version.size(), {0x00});
}

ImageBuilder& ImageBuilder::bytes(std::size_t at, std::initializer_list<std::uint8_t> values) {
    for (const std::uint8_t value : values)
        put(at++, value);
    return *this;
}

ImageBuilder& ImageBuilder::text(std::size_t at, std::string_view chars) {
    for (const char c : chars)
        put(at++, static_cast<std::uint8_t>(c));
    return *this;
}

ImageBuilder& ImageBuilder::word(std::size_t at, std::uint16_t value) {
    put(at, static_cast<std::uint8_t>(value & 0xFF));
    put(at + 1, static_cast<std::uint8_t>(value >> 8));
    return *this;
}

ImageBuilder& ImageBuilder::eightSlots(std::size_t first, std::uint16_t value) {
    for (std::size_t i = 0; i < 8; ++i)
        word(first + 4 * i, value);
    return *this;
}

ImageBuilder& ImageBuilder::checksum() {
    if (m_image.empty()) return *this;
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < m_image.size(); ++i)
        sum += m_image[i];
    m_image.back() = static_cast<std::uint8_t>((256 - sum % 256) % 256);
    return *this;
}

} // namespace zfx::samples
