// SPDX-License-Identifier: MIT
#include "planted_faults.h"

#include "sample_images.h"

#include <functional>
#include <numeric>

namespace zfx::samples {

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes fx5700() {
    for (Sample& sample : allSamples())
        if (sample.fileName == "fx5700.rom") return std::move(sample.bytes);
    return {};
}

// Sets the last byte so that the bytes from first to the end sum to 0.
void sealChecksum(Bytes& bytes, std::size_t first = 0) {
    const unsigned sum =
        std::accumulate(bytes.begin() + static_cast<std::ptrdiff_t>(first), bytes.end() - 1, 0u);
    bytes.back() = static_cast<std::uint8_t>((256 - sum % 256) % 256);
}

void putWord(Bytes& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

constexpr std::size_t kPcir = kPciDataAt;
constexpr std::size_t kLastImageByte = kPcir + 0x15;

// A second, EFI image of 32 KiB behind the first: 55 AA, its own PCI data structure, last.
Bytes efiImage() {
    Bytes image(32768, 0);
    image[0] = 0x55;
    image[1] = 0xAA;
    image[2] = 64;
    putWord(image, 0x18, 0x40);
    image[0x40] = 'P';
    image[0x41] = 'C';
    image[0x42] = 'I';
    image[0x43] = 'R';
    putWord(image, 0x44, 0x10DE);
    putWord(image, 0x46, 0x0341);
    putWord(image, 0x50, 64);
    image[0x54] = 3;    // EFI
    image[0x55] = 0x80; // last image
    return image;
}

} // namespace

std::vector<PlantedFault> plantedFaults() {
    struct Recipe {
        std::string name;
        std::string description;
        std::string check;
        std::string verdict;
        std::function<void(Bytes&)> plant;
    };
    const std::vector<Recipe> recipes{
        {"no-signature", "the first two bytes are 00 00", "signature", "failed",
         [](Bytes& b) {
             b[0] = 0;
             b[1] = 0;
         }},
        {"truncated", "only the first 32 KiB of the image", "size", "failed",
         [](Bytes& b) { b.resize(32768); }},
        {"padded", "64 KiB of FF after the image, as in a dump of the whole flash chip", "size", "note",
         [](Bytes& b) { b.resize(131072, 0xFF); }},
        {"two-images", "an EFI image of 32 KiB after the first, whose last-image bit is cleared",
         "last image", "note",
         [](Bytes& b) {
             b[kLastImageByte] = 0x00;
             sealChecksum(b);
             const Bytes efi = efiImage();
             b.insert(b.end(), efi.begin(), efi.end());
         }},
        {"bad-pointer", "the pointer at 18h leads 16 bytes past the PCI data structure", "pci data", "failed",
         [](Bytes& b) {
             putWord(b, 0x18, static_cast<std::uint16_t>(kPcir + 16));
             sealChecksum(b);
         }},
        {"other-vendor", "the PCI data structure names vendor 1002", "vendor", "failed",
         [](Bytes& b) {
             putWord(b, kPcir + 4, 0x1002);
             sealChecksum(b);
         }},
        {"two-devices", "a second NVIDIA PCI data structure at 3000h names device 0342", "device", "failed",
         [](Bytes& b) {
             for (std::size_t i = 0; i < 0x18; ++i)
                 b[0x3000 + i] = b[kPcir + i];
             putWord(b, 0x3006, 0x0342);
             sealChecksum(b);
         }},
        {"image-length", "the PCI data structure gives an image length of 32 KiB", "image length", "failed",
         [](Bytes& b) {
             putWord(b, kPcir + 0x10, 64);
             sealChecksum(b);
         }},
        {"broken-chain", "the last-image bit is cleared, and no image follows", "last image", "failed",
         [](Bytes& b) {
             b[kLastImageByte] = 0x00;
             sealChecksum(b);
         }},
        {"checksum", "one byte at 100h changed after the checksum was set", "checksum", "failed",
         [](Bytes& b) { b[0x100] ^= 0x01; }},
    };
    std::vector<PlantedFault> faults;
    for (const Recipe& recipe : recipes) {
        Bytes bytes = fx5700();
        recipe.plant(bytes);
        faults.push_back({"fault-" + recipe.name + ".rom", recipe.description, recipe.check, recipe.verdict,
                          std::move(bytes)});
    }
    return faults;
}

std::vector<PlantedContradiction> plantedContradictions() {
    constexpr std::size_t m = kClockMarkerAt;
    constexpr std::size_t v = kVoltageTableAt;
    constexpr std::size_t level = 57; // the FX 5700's performance levels are 57 bytes long
    struct Recipe {
        std::string name;
        std::string description;
        std::string subject;
        std::string table;
        std::vector<std::int32_t> found;
        std::vector<std::int32_t> structure;
        std::function<void(Bytes&)> plant;
    };
    const std::vector<Recipe> recipes{
        {"decoy-voltage-table",
         "a second voltage table at 1100h, found last by its marker; the BMP points to the first",
         "voltage table",
         "voltage table",
         {0x1100},
         {0x1000},
         [](Bytes& b) {
             for (std::size_t i = 0; i < 11; ++i)
                 b[0x1100 + i] = b[v + i];
             b[0x1105] = 0x50; // 0.80 V
         }},
        {"decoy-clock-table",
         "a second clock marker at 3000h with clocks behind it; the performance table stays at 1FF9h",
         "2D core clock",
         "clock table",
         {0x3003},
         {0x2003},
         [](Bytes& b) {
             b[0x3000] = 0x18;
             b[0x3001] = 0x02;
             b[0x3002] = 0x20;
             putWord(b, 0x3003, 25000);
         }},
        {"level-disagrees",
         "the first performance level's core clock is 955.36 MHz, of which the editor reads 300",
         "2D core clock",
         "clock table",
         {0x2003},
         {0x2003},
         [](Bytes& b) { b[m + 5] = 0x01; }},
        {"level-voltage",
         "the 3D level asks for 1.45 V, which the voltage table does not have",
         "level voltages",
         "voltage table",
         {0x1000},
         {0x20AC},
         [](Bytes& b) { b[m + 2 + 2 * level + 56] = 0x91; }},
        {"timing-a-outside",
         "the restricted program that holds Timing A has four values instead of eight",
         "Timing A",
         "timing bytes",
         {0x1833},
         {0x17FB},
         [](Bytes& b) { b[kTimingPatternAt + 44] = 4; }},
    };
    std::vector<PlantedContradiction> planted;
    for (const Recipe& recipe : recipes) {
        Bytes bytes = fx5700();
        recipe.plant(bytes);
        sealChecksum(bytes);
        planted.push_back({"contradiction-" + recipe.name + ".rom", recipe.description, recipe.subject,
                           recipe.table, recipe.found, recipe.structure, std::move(bytes)});
    }
    return planted;
}

} // namespace zfx::samples
