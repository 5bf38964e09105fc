// SPDX-License-Identifier: MIT
#pragma once

#include "image/bios_image.h"
#include "tables/card_data.h"
#include "tables/card_field.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zfx {

// How the bytes of a place are read as a value.
enum class PlaceKind {
    HundredthsClock, // 16 bits, hundredths of a MHz (GeForce FX)
    WholeMhzClock,   // 16 bits, whole MHz (GeForce 6800)
    VoltagePair,     // a voltage in 10 mV units and the regulator's code behind it
    LevelVoltage,    // a performance level's own voltage, one byte in 10 mV units
    LevelClock,      // a GeForce FX performance level's clock: 32 bits, hundredths of a MHz
    Percent,         // one byte, a performance level's fan
    Byte,            // one byte, shown in decimal
};

// One value the editor reads from an image and every copy of it: where it lives and how it reads.
struct FieldPlace {
    std::string caption;            // "3D core clock", "voltage entry 3"
    std::optional<CardField> field; // the value a window control shows; absent for the others
    PlaceKind kind = PlaceKind::Byte;
    std::vector<std::int32_t> offsets; // the first byte of every copy, ascending
    // The id of the performance level each copy lies in, where the BIOS structure places them;
    // empty otherwise.
    std::vector<std::uint8_t> levels{};
    // The voltage table's entry, by its position, of a place that holds one no control shows; -1
    // for every other place.
    int voltageEntry = -1;
    // The value of a performance level that no control shows; absent for every other place.
    std::optional<LevelCell> levelCell{};

    // Whether two places, of one image or of two, hold the same value: the same card field, the
    // same voltage entry, the same value of a level, or both the table's highest code.
    bool holdsSameValueAs(const FieldPlace& other) const {
        return field == other.field && voltageEntry == other.voltageEntry && levelCell == other.levelCell;
    }
};

// The bytes a value of the kind takes.
std::int32_t placeWidth(PlaceKind kind);
// The unit of a value's text (" MHz"), empty when the text carries its own.
std::string placeUnit(PlaceKind kind);

// Every value the editor reads from the image, in the window's order: the voltage modes, the
// voltage entries no mode uses and the highest code, the clocks, the timings. Values without a
// place in this image are absent.
std::vector<FieldPlace> cardLayout(const CardData& data);

// The value stored at one copy, as people read it: "275.49", "475", "1.29 V, code 0", "9".
std::string valueAt(const FieldPlace& place, const BiosImage& image, std::size_t copy);
// The values of every copy: one text when they agree, else each distinct one, joined by "/".
std::string valueOf(const FieldPlace& place, const BiosImage& image);

// The performance levels of a place's copies: "level 80h", "levels 20h, 60h, 80h, 8 copies each",
// "levels 20h (8 copies), 60h (4 copies)"; empty when no level is known.
std::string levelsText(const std::vector<std::uint8_t>& levels);

// "7A31h" or "7A31h, 7A35h, ..." for every copy.
std::string offsetsText(const std::vector<std::int32_t>& offsets);
// Where a place lives, for the status bar: "3D core clock: 7A31h", "2D memory clock: 8 fields,
// 7A35h to 7A51h".
std::string placeText(const FieldPlace& place);

} // namespace zfx
