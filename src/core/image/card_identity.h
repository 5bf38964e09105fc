// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zfx {

// The card-family flags, set from the device text on every load. A device sets at most two
// (6800 GT, 6800/6800LE and 5900 XT also set their family's flag).
struct CardFlags {
    bool is6800 = false;
    bool is6800GT = false;
    bool is6800Plain = false;
    bool is5900 = false;
    bool is5900XT = false;
    bool is5800 = false;
    bool is5700 = false;
    bool is5700LE = false;
    bool is5600 = false;
    bool is5600Ultra = false;
    bool is5500 = false;
    bool is5200 = false;
    bool isQuadroFX1000_2000 = false;
    bool isQuadroFX3000 = false;

    // Names of the flags that are set, in table order.
    std::vector<std::string> names() const;
    bool any() const { return !names().empty(); }
};

// Flags for a device text such as "3003" (device 0x0330 stored little-endian).
CardFlags flagsForDevice(std::string_view deviceText);
// Shown device name, "Unsupported!" for an unlisted device text.
std::string deviceNameForDevice(std::string_view deviceText);
inline constexpr std::string_view kUnknownVendor = "I dont known man";
// Vendor name for the subsystem vendor text at 0x54, kUnknownVendor when unlisted.
std::string vendorNameForVendor(std::string_view vendorText);

inline constexpr std::string_view kUnsupportedDevice = "Unsupported!";

class BiosImage;

// Who the card is, as the image says: its PCI data structure, the BIOS version text and the
// subsystem vendor, with the offsets they were read from.
struct CardIdentity {
    std::int32_t pciDataOffset = 0; // "PCIR" followed by vendor 10DE; 0 when absent
    std::string deviceText;         // the two device-ID bytes at pciDataOffset + 6, as hex text
    std::string deviceName;         // kUnsupportedDevice for an unlisted device
    CardFlags flags;
    std::int32_t versionOffset = 0; // the word "Version"; 0 when absent
    std::string biosVersion;        // the text 8 bytes behind it, up to a NUL, as UTF-8
    std::string vendorName;         // from the subsystem vendor ID at 54h
    // The IDs as PCI numbers: vendor and device from the PCI data structure (absent without one),
    // the board's subsystem vendor and device from 54h and 56h (absent past the image's end).
    std::optional<std::uint16_t> vendorId;
    std::optional<std::uint16_t> deviceId;
    std::optional<std::uint16_t> subsystemVendorId;
    std::optional<std::uint16_t> subsystemDeviceId;
};

// The IDs as the PCI world writes them: "10DE:0312", the subsystem (the board maker and board)
// "107D:2971". Empty where the image has none.
std::string pciIdText(const CardIdentity& id);
std::string subsystemIdText(const CardIdentity& id);
// Both in one line, with the board maker's name where the vendor table knows it:
// "10DE:0312, subsystem 107D:2971 (Leadtek)".
std::string pciIdsText(const CardIdentity& id);

CardIdentity identifyCard(const BiosImage& image);

} // namespace zfx
