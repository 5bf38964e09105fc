// SPDX-License-Identifier: MIT
#include "image/card_identity.h"

#include "image/bios_image.h"
#include "text/number_text.h"

#include <array>
#include <utility>

namespace zfx {

namespace {

struct NamedCode {
    std::string_view code;
    std::string_view name;
};

// The name of a code in a table, the last row's where several have it; fallback where none does.
template <std::size_t N>
std::string nameOf(const std::array<NamedCode, N>& table, std::string_view code, std::string_view fallback) {
    std::string_view name = fallback;
    for (const NamedCode& row : table)
        if (row.code == code) name = row.name;
    return std::string(name);
}

constexpr std::array<NamedCode, 22> kDevices{{
    {"4000", "Nvidia 6800 Ultra"},    {"4500", "Nvidia 6800 GT"},       {"4100", "Nvidia 6800"},
    {"4200", "Nvidia 6800LE"},        {"3303", "Nvidia FX5950 Ultra"},  {"3003", "Nvidia FX5900 Ultra"},
    {"3103", "Nvidia FX5900"},        {"3203", "Nvidia FX5900 XT"},     {"0103", "Nvidia FX5800 Ultra"},
    {"0203", "Nvidia FX5800"},        {"4103", "Nvidia FX5700 Ultra"},  {"4203", "Nvidia FX5700"},
    {"4303", "Nvidia FX5700 LE"},     {"2603", "Nvidia FX5500"},        {"1103", "Nvidia FX5600 Ultra"},
    {"1203", "Nvidia FX5600"},        {"1403", "Nvidia FX5600 XT"},     {"2103", "Nvidia FX5200 Ultra"},
    {"2203", "Nvidia FX5200"},        {"0903", "Nvidia Quadro FX1000"}, {"0803", "Nvidia Quadro FX2000"},
    {"3803", "Nvidia Quadro FX3000"},
}};

constexpr std::array<NamedCode, 12> kVendors{{
    {"0000", "<unknown>"},
    {"B010", "Gainward"},
    {"7D10", "Leadtek"},
    {"8216", "XFX"},
    {"DE10", "Nvidia"},
    {"6214", "MSI"},
    {"5415", "Prolink"},
    {"4310", "Asus"},
    {"5814", "Gigabyte"},
    {"0F27", "Chaintech"},
    {"7B14", "Abit"},
    {"0211", "Creative"},
}};

template <std::size_t N> bool isOneOf(std::string_view text, const std::array<std::string_view, N>& codes) {
    for (const auto code : codes)
        if (code == text) return true;
    return false;
}

using Codes4 = std::array<std::string_view, 4>;
using Codes2 = std::array<std::string_view, 2>;
using Codes1 = std::array<std::string_view, 1>;

} // namespace

std::vector<std::string> CardFlags::names() const {
    const std::array<std::pair<bool, const char*>, 14> all{{
        {is6800, "is6800"},
        {is6800GT, "is6800GT"},
        {is6800Plain, "is6800Plain"},
        {is5900, "is5900"},
        {is5900XT, "is5900XT"},
        {is5800, "is5800"},
        {is5700, "is5700"},
        {is5700LE, "is5700LE"},
        {is5600, "is5600"},
        {is5600Ultra, "is5600Ultra"},
        {is5500, "is5500"},
        {is5200, "is5200"},
        {isQuadroFX1000_2000, "isQuadroFX1000_2000"},
        {isQuadroFX3000, "isQuadroFX3000"},
    }};
    std::vector<std::string> set;
    for (const auto& [on, name] : all)
        if (on) set.emplace_back(name);
    return set;
}

CardFlags flagsForDevice(std::string_view d) {
    CardFlags f;
    f.is6800 = isOneOf(d, Codes4{"4000", "4500", "4100", "4200"});
    f.is6800GT = isOneOf(d, Codes1{"4500"});
    f.is6800Plain = isOneOf(d, Codes2{"4100", "4200"});
    f.is5900 = isOneOf(d, Codes4{"3003", "3103", "3303", "3203"});
    f.is5900XT = isOneOf(d, Codes1{"3203"});
    f.is5800 = isOneOf(d, Codes2{"0103", "0203"});
    f.is5700 = isOneOf(d, Codes2{"4103", "4203"});
    f.is5700LE = isOneOf(d, Codes1{"4303"});
    f.is5600 = isOneOf(d, Codes2{"1203", "1403"});
    f.is5600Ultra = isOneOf(d, Codes1{"1103"});
    f.is5500 = isOneOf(d, Codes1{"2603"});
    f.is5200 = isOneOf(d, Codes2{"2203", "2103"});
    f.isQuadroFX1000_2000 = isOneOf(d, Codes2{"0903", "0803"});
    f.isQuadroFX3000 = isOneOf(d, Codes1{"3803"});
    return f;
}

std::string deviceNameForDevice(std::string_view deviceText) {
    return nameOf(kDevices, deviceText, kUnsupportedDevice);
}

CardIdentity identifyCard(const BiosImage& image) {
    CardIdentity id;
    id.pciDataOffset = image.findPattern("50434952DE10");
    id.deviceText = image.hexOfRange(id.pciDataOffset + 6, 1);
    id.deviceName = deviceNameForDevice(id.deviceText);
    id.flags = flagsForDevice(id.deviceText);
    // The version follows the word "Version" and the one byte after it; shown up to a NUL.
    id.versionOffset = image.findPattern("56657273696F6E");
    std::string text = image.charsOfRange(id.versionOffset + 8, 14);
    id.biosVersion = latin1ToUtf8(text.substr(0, text.find('\0')));
    id.vendorName = vendorNameForVendor(image.hexOfRange(0x54, 1));
    if (id.pciDataOffset != 0) {
        id.vendorId = image.word(id.pciDataOffset + 4);
        id.deviceId = image.word(id.pciDataOffset + 6);
    }
    constexpr std::int32_t kSubsystemVendor = 0x54;
    constexpr std::int32_t kSubsystemDevice = 0x56;
    if (image.contains(kSubsystemVendor, kSubsystemVendor + 1))
        id.subsystemVendorId = image.word(kSubsystemVendor);
    if (image.contains(kSubsystemDevice, kSubsystemDevice + 1))
        id.subsystemDeviceId = image.word(kSubsystemDevice);
    return id;
}

std::string pciIdText(const CardIdentity& id) {
    if (!id.vendorId || !id.deviceId) return {};
    return hexDigits(*id.vendorId, 4) + ":" + hexDigits(*id.deviceId, 4);
}

std::string subsystemIdText(const CardIdentity& id) {
    if (!id.subsystemVendorId || !id.subsystemDeviceId) return {};
    return hexDigits(*id.subsystemVendorId, 4) + ":" + hexDigits(*id.subsystemDeviceId, 4);
}

std::string pciIdsText(const CardIdentity& id) {
    const std::string device = pciIdText(id);
    const std::string subsystem = subsystemIdText(id);
    std::string text = device.empty() ? std::string("no PCI data structure") : device;
    if (!subsystem.empty()) text += ", subsystem " + subsystem;
    if (!subsystem.empty() && id.vendorName != kUnknownVendor) text += " (" + id.vendorName + ")";
    return text;
}

std::string vendorNameForVendor(std::string_view vendorText) {
    return nameOf(kVendors, vendorText, kUnknownVendor);
}

} // namespace zfx
