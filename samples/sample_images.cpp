// SPDX-License-Identifier: MIT
#include "sample_images.h"

#include "image_builder.h"

#include <array>
#include <cmath>
#include <functional>
#include <optional>

namespace zfx::samples {

namespace {

constexpr std::uint16_t kAsus = 0x1043, kNvidia = 0x10DE, kGainward = 0x10B0, kLeadtek = 0x107D,
                        kMsi = 0x1462, kXfx = 0x1682;

// Timing set: B, C, D, E, F at offsets 0, 2, 4, 6, 7; the bytes between them are left as fillers
// so that a test can see they stay untouched.
void timingSet(ImageBuilder& b, std::size_t base, std::initializer_list<std::uint8_t> bcdef) {
    const std::size_t offsets[] = {0, 2, 4, 6, 7};
    std::size_t i = 0;
    for (const std::uint8_t value : bcdef)
        b.bytes(base + offsets[i++], {value});
    b.bytes(base + 1, {0xA1}).bytes(base + 3, {0xA3}).bytes(base + 5, {0xA5});
}

// Timing A table: eight 4-byte entries whose first byte is Timing A. The other bytes are fillers
// that keep the init script around the table walkable (33h: a 2-byte command, 71h: its end).
void timingATable(ImageBuilder& b, std::size_t first, std::uint8_t timingA) {
    for (std::size_t i = 0; i < 8; ++i)
        b.bytes(first + 4 * i, {timingA, 0x33, 0x71, 0x71});
}

std::size_t mhz(double value) {
    return static_cast<std::size_t>(std::lround(value * 100));
}
std::uint16_t fx(double megahertz) {
    return static_cast<std::uint16_t>(mhz(megahertz));
}

// Where the image's own structure says the tables are: a BMP structure on GeForce FX, BIT on the
// 6800, both pointing to a performance table laid over the clock table the editor finds by its
// marker, and to the voltage table.
enum class Structure { None, Bmp, Bit };

struct Recipe {
    std::string fileName;
    std::string title;
    std::uint16_t device;
    std::uint16_t vendor;
    std::string version;
    std::function<void(ImageBuilder&)> tables;
    Structure structure = Structure::None;
    std::uint8_t entryLength = 0x39;    // 57-byte levels, 56 on the 5800 and Quadro FX 1000
    std::size_t timingA = 0;            // Timing A behind the timing pattern at +9, +51 or +81; 0: none
    std::vector<std::uint8_t> voltages; // the levels' voltages, entries of the voltage table
    // 0: the performance table lies over the clock marker, laid by buildStructure. Else the recipe's
    // tables write the whole performance table here, and the structure only points to it.
    std::size_t perfAt = 0;
};

// A GeForce FX level of version 15h: the core clock at +1, the memory clock's eight copies (one
// per memory configuration) from +5, the fan at +55 and the voltage at +56, clocks in 10 kHz.
void fxLevel(ImageBuilder& b, std::size_t entry, std::uint8_t id, double core,
             const std::array<double, 8>& memory, std::uint8_t fan, std::uint8_t voltage) {
    b.bytes(entry, {id}).word(entry + 1, fx(core));
    for (std::size_t copy = 0; copy < memory.size(); ++copy)
        b.word(entry + 5 + 4 * copy, fx(memory[copy]));
    b.bytes(entry + 55, {fan, voltage});
}

// A GeForce 6 level of version 25h: the fan at +4, the voltage at +5, the core clock at +6 and
// the memory clock at +12, in whole MHz; the shader clock at +10 left at 0.
void geForce6Level(ImageBuilder& b, std::size_t entry, std::uint8_t id, std::uint16_t core,
                   std::uint16_t memory, std::uint8_t fan, std::uint8_t voltage) {
    b.bytes(entry, {id}).bytes(entry + 4, {fan, voltage}).word(entry + 6, core).word(entry + 12, memory);
}

constexpr std::size_t kFxLevelStride = 57;
constexpr std::size_t kGeForce6LevelStride = 16 + 2 * 4;

std::vector<Recipe> recipes() {
    constexpr std::size_t m = kClockMarkerAt;
    constexpr std::size_t p = kTimingPatternAt;
    constexpr std::size_t v = kVoltageTableAt;
    auto timingPattern = [](ImageBuilder& b) { b.bytes(p, {0x04, 0x08, 0x00, 0x02, 0x10, 0x00}); };
    return {
        {"gf6800-ultra.rom",
         "GeForce 6800 Ultra (reference board)",
         0x0040,
         kNvidia,
         "5.40.02.15.00",
         [=](ImageBuilder& b) {
             b.bytes(v, {0x10, 0x02, 0x03, 0x00, 0x03, 0x78, 0x00, 0x82, 0x01, 0x8C, 0x02});
             b.bytes(m, {0x18, 0x02, 0x20, 0xFF});
             // reference board: 2D in the first pair, 3D in the second
             b.word(m + 8, 300).word(m + 13, 550).word(m + 38, 400).word(m + 43, 550);
         },
         Structure::Bit,
         0x39,
         0,
         {0x78, 0x8C}},
        {"gf6800-gt.rom",
         "GeForce 6800 GT",
         0x0045,
         kLeadtek,
         "5.40.02.17.08",
         [=](ImageBuilder& b) {
             b.bytes(v, {0x10, 0x02, 0x03, 0x00, 0x02, 0x78, 0x00, 0x82, 0x01, 0x8C, 0x02});
             b.bytes(m, {0x18, 0x02, 0x20, 0xFF});
             b.word(m + 8, 350).word(m + 13, 500).word(m + 38, 300).word(m + 43, 500);
         },
         Structure::Bit,
         0x39,
         0,
         {0x78, 0x8C}},
        {"gf6800.rom",
         "GeForce 6800",
         0x0041,
         kGainward,
         "5.40.02.12.01",
         [=](ImageBuilder& b) {
             b.bytes(v, {0x10, 0x02, 0x03, 0x00, 0x03, 0x6E, 0x00, 0x78, 0x01, 0x82, 0x02});
             b.bytes(m, {0x18, 0x02, 0x20, 0xFF});
             b.word(m + 8, 325).word(m + 13, 350).word(m + 38, 275).word(m + 43, 350);
         },
         Structure::Bit,
         0x39,
         0,
         {0x6E, 0x82}},
        {"fx5950-ultra.rom",
         "GeForce FX 5950 Ultra",
         0x0333,
         kAsus,
         "4.38.20.24.00",
         [=](ImageBuilder& b) {
             b.bytes(v, {0x10, 0x02, 0x03, 0x00, 0x07, 0x78, 0x00, 0x82, 0x01, 0x8C, 0x02});
             timingPattern(b);
             timingATable(b, p + 9, 0x05);
             b.bytes(m, {0x18, 0x02, 0x20});
             b.word(m + 3, fx(300)).eightSlots(m + 7, fx(475)).word(m + 60, fx(300)).word(m + 117, fx(475));
             b.eightSlots(m + 64, fx(475)).eightSlots(m + 121, fx(475));
             timingSet(b, m + 46, {9, 3, 11, 4, 7});
             timingSet(b, m + 103, {9, 3, 11, 4, 7});
             timingSet(b, m + 160, {9, 3, 11, 4, 7});
         },
         Structure::Bmp,
         0x39,
         9,
         {0x78, 0x82, 0x8C}},
        {"fx5900-xt.rom",
         "GeForce FX 5900 XT",
         0x0332,
         kMsi,
         "4.35.20.32.00",
         [=](ImageBuilder& b) {
             b.bytes(v, {0x10, 0x02, 0x03, 0x00, 0x03, 0x6E, 0x00, 0x78, 0x01, 0x82, 0x02});
             timingPattern(b);
             b.bytes(p + 9, {0x07}); // the XT keeps Timing A behind P + 81 whatever stands here
             timingATable(b, p + 81, 0x06);
             b.bytes(m, {0x18, 0x02, 0x20});
             // Two memory configurations: the first four copies of the 2D memory clock 350 MHz,
             // the last four 300 MHz.
             b.word(m + 3, fx(300)).eightSlots(m + 7, fx(350)).word(m + 60, fx(300)).word(m + 117, fx(390));
             b.eightSlots(m + 64, fx(350)).eightSlots(m + 121, fx(350));
             for (std::size_t copy = 4; copy < 8; ++copy)
                 b.word(m + 7 + 4 * copy, fx(300));
             timingSet(b, m + 46, {8, 3, 10, 4, 6});
             timingSet(b, m + 103, {8, 3, 10, 4, 6});
             timingSet(b, m + 160, {8, 3, 10, 4, 6});
         },
         Structure::Bmp,
         0x39,
         81,
         {0x6E, 0x78, 0x82}},
        {"fx5800.rom",
         "GeForce FX 5800 Ultra",
         0x0301,
         kGainward,
         "4.30.20.18.00",
         [=](ImageBuilder& b) {
             b.bytes(v, {0x10, 0x02, 0x03, 0x00, 0x03, 0x78, 0x00, 0x82, 0x01, 0x8C, 0x02});
             b.bytes(m, {0x89, 0x55, 0x20});
             b.word(m + 3, fx(300))
                 .eightSlots(m + 7, fx(300))
                 .word(m + 59, fx(400))
                 .eightSlots(m + 63, fx(400));
             b.word(m + 115, fx(500)).eightSlots(m + 119, fx(500));
             timingSet(b, m + 160, {10, 4, 12, 5, 8});
         },
         Structure::Bmp,
         0x38,
         0,
         {}},
        {"fx5700.rom",
         "GeForce FX 5700 Ultra",
         0x0341,
         kAsus,
         "4.36.20.21.00",
         [=](ImageBuilder& b) {
             b.bytes(v, {0x10, 0x02, 0x03, 0x00, 0x05, 0x78, 0x01, 0x82, 0x02, 0x8C, 0x03});
             timingPattern(b);
             timingATable(b, p + 51, 0x04);
             b.bytes(m, {0x18, 0x02, 0x20});
             // 2D memory stored as 275.49 MHz: shown, and saved, as 275
             b.word(m + 3, fx(300)).eightSlots(m + 7, 27549).word(m + 60, fx(300)).word(m + 117, fx(475));
             b.eightSlots(m + 64, fx(450)).eightSlots(m + 121, fx(450));
             timingSet(b, m + 46, {7, 2, 9, 3, 5});
             timingSet(b, m + 103, {7, 2, 9, 3, 5});
             timingSet(b, m + 160, {7, 2, 9, 3, 5});
         },
         Structure::Bmp,
         0x39,
         51,
         {0x78, 0x82, 0x8C}},
        {"fx5700-le.rom",
         "GeForce FX 5700 LE",
         0x0343,
         kXfx,
         "4.36.20.26.00",
         [=](ImageBuilder& b) {
             b.bytes(v, {0x10, 0x02, 0x02, 0x00, 0x03, 0x78, 0x01, 0x8C, 0x02});
             b.bytes(m, {0x00, 0x02, 0x20});
             b.word(m + 3, fx(250))
                 .eightSlots(m + 7, fx(200))
                 .word(m + 60, fx(400))
                 .eightSlots(m + 64, fx(250));
             timingSet(b, m + 46, {6, 2, 8, 3, 5});
         },
         Structure::Bmp,
         0x39,
         0,
         {0x78, 0x8C, 0x8C}},
        {"fx5600.rom",
         "GeForce FX 5600",
         0x0312,
         kLeadtek,
         "4.31.20.23.00",
         [=](ImageBuilder& b) {
             // As on a real card: two voltages (1.29 V, VID 0; 1.44 V, VID 1; VID mask 01), and
             // each level's memory clock in all eight copies, of which the editor reads the last.
             b.bytes(v, {0x10, 0x02, 0x02, 0x00, 0x01, 0x81, 0x00, 0x90, 0x01});
             timingPattern(b);
             timingATable(b, p + 51, 0x03);
             b.bytes(m, {0x18, 0x02, 0x20});
             const std::size_t base = m + 1; // the 5600 counts from the 02 byte
             b.word(base + 2, fx(270)).word(base + 59, fx(270)).word(base + 116, fx(325));
             b.eightSlots(base + 6, fx(250)).eightSlots(base + 63, fx(250)).eightSlots(base + 120, fx(250));
             timingSet(b, base + 45, {6, 2, 8, 3, 4});
             timingSet(b, base + 102, {6, 2, 8, 3, 4});
             timingSet(b, base + 159, {6, 2, 8, 3, 4});
         },
         Structure::Bmp,
         0x39,
         51,
         {0x81, 0x81, 0x90}},
        {"fx5600-ultra.rom",
         "GeForce FX 5600 Ultra",
         0x0311,
         kMsi,
         "4.31.20.41.00",
         [=](ImageBuilder& b) {
             b.bytes(v, {0x10, 0x02, 0x03, 0x00, 0x07, 0x7E, 0x01, 0x88, 0x02, 0x92, 0x03});
             b.bytes(m, {0x18, 0x02, 0x20});
             b.word(m + 3, fx(235)).eightSlots(m + 7, fx(400)).word(m + 60, fx(400)).word(m + 117, fx(235));
             b.eightSlots(m + 64, fx(400)).eightSlots(m + 121, fx(400));
         },
         Structure::Bmp,
         0x39,
         0,
         {0x7E, 0x88, 0x92}},
        {"fx5500.rom",
         "GeForce FX 5500",
         0x0326,
         kXfx,
         "4.34.20.56.00",
         [=](ImageBuilder& b) {
             b.bytes(m, {0x18, 0x02, 0x20});
             b.word(m + 3, fx(270)).eightSlots(m + 7, fx(200));
             timingSet(b, m + 46, {5, 2, 7, 3, 4});
         },
         Structure::Bmp,
         0x39,
         0,
         {}},
        {"fx5200.rom",
         "GeForce FX 5200",
         0x0322,
         kGainward,
         "4.34.20.16.00",
         [=](ImageBuilder& b) {
             b.bytes(m, {0x18, 0x02, 0x20});
             b.word(m + 3, fx(250)).eightSlots(m + 7, fx(200));
             timingSet(b, m + 46, {5, 2, 7, 3, 4});
         },
         Structure::Bmp,
         0x39,
         0,
         {}},
        {"quadro-fx1000.rom",
         "Quadro FX 1000",
         0x0309,
         kNvidia,
         "4.30.20.35.00",
         [=](ImageBuilder& b) {
             b.bytes(v, {0x10, 0x02, 0x02, 0x00, 0x03, 0x78, 0x00, 0x82, 0x01});
             b.bytes(m, {0x89, 0x55, 0x20});
             b.word(m + 3, fx(300))
                 .eightSlots(m + 7, fx(300))
                 .word(m + 59, fx(250))
                 .eightSlots(m + 63, fx(250));
             b.word(m + 115, fx(300)).eightSlots(m + 119, fx(300));
             timingSet(b, m + 160, {10, 4, 12, 5, 8});
         },
         Structure::Bmp,
         0x38,
         0,
         {}},
        {"quadro-fx3000.rom",
         "Quadro FX 3000",
         0x0338,
         kNvidia,
         "4.35.20.55.00",
         [=](ImageBuilder& b) {
             b.bytes(v, {0x10, 0x02, 0x03, 0x00, 0x03, 0x78, 0x00, 0x82, 0x01, 0x8C, 0x02});
             timingPattern(b);
             timingATable(b, p + 9, 0x05);
             b.bytes(m, {0x18, 0x02, 0x20});
             b.word(m + 3, fx(300)).eightSlots(m + 7, fx(425)).word(m + 60, fx(300)).word(m + 117, fx(400));
             b.eightSlots(m + 64, fx(425)).eightSlots(m + 121, fx(425));
             timingSet(b, m + 46, {9, 3, 11, 4, 7});
             timingSet(b, m + 103, {9, 3, 11, 4, 7});
             timingSet(b, m + 160, {9, 3, 11, 4, 7});
         },
         Structure::Bmp,
         0x39,
         9,
         {0x78, 0x82, 0x8C}},
        {"unsupported.rom",
         "an unsupported device (0x0300)",
         0x0300,
         kAsus,
         "4.30.00.00.00",
         [](ImageBuilder&) {},
         Structure::None,
         0x39,
         0,
         {}},
        {"gf6800-le.rom",
         "GeForce 6800 LE",
         0x0042,
         kAsus,
         "5.40.02.15.12",
         [=](ImageBuilder& b) {
             b.bytes(v, {0x10, 0x02, 0x03, 0x00, 0x03, 0x6E, 0x00, 0x78, 0x01, 0x82, 0x02});
             b.bytes(m, {0x18, 0x02, 0x20, 0xFF});
             b.word(m + 8, 300).word(m + 13, 350).word(m + 38, 250).word(m + 43, 350);
             b.bytes(m + 6, {35}).bytes(m + 36, {80}); // the levels' fans
         },
         Structure::Bit,
         0x39,
         0,
         {0x6E, 0x78}},
        {"fx5700-levels-only.rom",
         "GeForce FX 5700 (performance levels only)",
         0x0342,
         kMsi,
         "4.36.20.33.00",
         [=](ImageBuilder& b) {
             b.bytes(v, {0x10, 0x02, 0x03, 0x00, 0x05, 0x78, 0x01, 0x82, 0x02, 0x8C, 0x03});
             // No clock marker: the performance table alone where the others keep their marker, a
             // 9-byte header and three levels. Level 60h keeps two memory configurations: copies 0
             // and 1 at 300 MHz, the others at 350, the clock it shows.
             b.bytes(m, {0x09, 0x15, 0x03, 0x39});
             fxLevel(b, m + 9, 0x20, 300, {275, 275, 275, 275, 275, 275, 275, 275}, 40, 0x78);
             fxLevel(b, m + 9 + kFxLevelStride, 0x60, 425, {300, 300, 350, 350, 350, 350, 350, 350}, 60,
                     0x82);
             fxLevel(b, m + 9 + 2 * kFxLevelStride, 0x80, 475, {450, 450, 450, 450, 450, 450, 450, 450}, 100,
                     0x8C);
         },
         Structure::Bmp,
         0x39,
         0,
         {},
         m},
        {"gf6800-gt-levels-only.rom",
         "GeForce 6800 GT (performance levels only)",
         0x0045,
         kMsi,
         "5.40.02.17.21",
         [=](ImageBuilder& b) {
             b.bytes(v, {0x10, 0x02, 0x03, 0x00, 0x02, 0x78, 0x00, 0x82, 0x01, 0x8C, 0x02});
             // No clock marker: a performance table of version 25h alone, three levels of 16 bytes
             // with two 4-byte sub-entries each (memory timing entry 0).
             b.bytes(m, {0x25, 0x06, 0x03, 0x10, 0x02, 0x04});
             geForce6Level(b, m + 6, 0x20, 300, 350, 40, 0x78);
             geForce6Level(b, m + 6 + kGeForce6LevelStride, 0x60, 350, 500, 60, 0x82);
             geForce6Level(b, m + 6 + 2 * kGeForce6LevelStride, 0x80, 400, 550, 100, 0x8C);
         },
         Structure::Bit,
         0x39,
         0,
         {},
         m},
    };
}

constexpr std::size_t kStructureAt = 0x0300;   // the BMP or BIT structure
constexpr std::size_t kBitTokenData = 0x0320;  // the data of the BIT 'P' and 'I' tokens
constexpr std::size_t kTimingTableAt = 0x0380; // the 6800's memory timing table
constexpr std::size_t kScriptTableAt = 0x0400; // the init-script table
constexpr std::size_t kEmptyScriptAt = 0x0410; // a script that only ends

// The version text's first four numbers, as the BMP keeps them (micro, minor, chip, major).
std::vector<std::uint8_t> bmpVersion(const std::string& version) {
    std::vector<std::uint8_t> parts;
    std::size_t from = 0;
    while (parts.size() < 4 && from < version.size()) {
        const std::size_t dot = version.find('.', from);
        parts.push_back(static_cast<std::uint8_t>(std::stoul(version.substr(from, dot - from), nullptr, 16)));
        from = dot == std::string::npos ? version.size() : dot + 1;
    }
    parts.resize(4, 0);
    return {parts[3], parts[2], parts[1], parts[0]};
}

// The init scripts around Timing A: the timing pattern is the tail of a restricted program for
// the memory controller's register 100200h (shift 04, eight values, 00 02 10 00), whose values
// follow it; Timing A is a byte of those values, or of a second program's behind them.
std::size_t initScripts(ImageBuilder& b, std::size_t timingA) {
    constexpr std::size_t p = kTimingPatternAt;
    auto program = [&](std::size_t at, std::uint8_t shift, std::uint8_t count, std::uint16_t reg) {
        b.bytes(at, {0x32, 0xD4, 0x03, 0x3F, 0x0F, shift, count});
        b.word(at + 7, reg).word(at + 9, 0x0010);
    };
    if (timingA == 0) {
        b.bytes(kEmptyScriptAt, {0x71});
        return kEmptyScriptAt;
    }
    b.bytes(p - 5, {0x32, 0xD4, 0x03, 0x3F, 0x0F}); // its shift, count and register are the pattern
    if (timingA == 51) {
        program(p + 38, 0x10, 8, 0x0204); // values from p + 49: Timing A is their third byte
    } else if (timingA == 81) {
        program(p + 38, 0x00, 5, 0x0204);
        b.bytes(p + 69, {0x8C});
        program(p + 70, 0x00, 8, 0x0208); // values from p + 81: Timing A is their first byte
        b.bytes(p + 113, {0x71});
    }
    // Behind the values of the last program, the Timing A table's fillers end the script.
    return p - 5;
}

// A BMP structure behind the FX's performance table: the recipe's own table, or one whose 9-byte
// header ends in the marker's first two bytes and whose first level starts on the marker's third,
// the level id 20h.
void buildBmp(ImageBuilder& b, const Recipe& r, bool voltageTable) {
    constexpr std::size_t m = kClockMarkerAt;
    const std::size_t perf = r.perfAt != 0 ? r.perfAt : m - 7;
    if (r.perfAt == 0) {
        b.bytes(perf, {0x09, 0x15, 0x03, r.entryLength});
        for (std::size_t level = 0; level < 3; ++level) {
            const std::size_t entry = m + 2 + level * (r.entryLength == 0x38 ? 56 : kFxLevelStride);
            if (level > 0) b.bytes(entry, {static_cast<std::uint8_t>(level == 1 ? 0x60 : 0x80)});
            if (level < r.voltages.size()) b.bytes(entry + 56, {r.voltages[level]});
        }
    }
    const std::size_t at = kStructureAt;
    b.bytes(at, {0xFF, 0x7F, 0x4E, 0x56, 0x00, 0x05, 0x28});
    const unsigned sum = 0xFF + 0x7F + 0x4E + 0x56 + 0x05 + 0x28;
    b.bytes(at + 7, {static_cast<std::uint8_t>((256 - sum % 256) % 256)});
    const std::vector<std::uint8_t> version = bmpVersion(r.version);
    b.bytes(at + 10, {version[0], version[1], version[2], version[3]});
    b.word(at + 75, static_cast<std::uint16_t>(kScriptTableAt));
    b.word(at + 0x94, static_cast<std::uint16_t>(perf));
    if (voltageTable) b.word(at + 0x98, static_cast<std::uint16_t>(kVoltageTableAt));
}

// The 6800: a BIT structure pointing to a performance table of version 21h with two levels of
// 14 bytes and two 8-byte sub-entries each, the first level on the marker's third byte, or to
// the recipe's own table.
void buildBit(ImageBuilder& b, const Recipe& r) {
    constexpr std::size_t m = kClockMarkerAt;
    const std::size_t perf = r.perfAt != 0 ? r.perfAt : m - 6;
    if (r.perfAt == 0) {
        b.bytes(perf, {0x21, 0x08, 0x02, 0x0E, 0x02, 0x08});
        for (std::size_t level = 0; level < 2; ++level) {
            const std::size_t entry = m + 2 + level * 30;
            if (level > 0) b.bytes(entry, {0x60});
            b.bytes(entry + 5, {r.voltages.at(level)});
            b.bytes(entry + 14 + 1, {0x00}).bytes(entry + 22 + 1, {0x00}); // memory timing entry 0
        }
    }
    b.bytes(kTimingTableAt, {0x10, 0x04, 0x01, 0x0F});
    const std::size_t at = kStructureAt;
    b.bytes(at, {0xFF, 0xB8, 'B', 'I', 'T', 0x00});
    b.word(at + 6, 0x0100).bytes(at + 8, {12, 6, 2});
    unsigned sum = 0;
    for (const unsigned byte :
         {0xFFu, 0xB8u, unsigned('B'), unsigned('I'), unsigned('T'), 0x01u, 12u, 6u, 2u})
        sum += byte;
    b.bytes(at + 11, {static_cast<std::uint8_t>((256 - sum % 256) % 256)});
    b.bytes(at + 12, {'P', 1, 0x14, 0x00}).word(at + 16, static_cast<std::uint16_t>(kBitTokenData));
    b.bytes(at + 18, {'I', 1, 0x02, 0x00}).word(at + 22, static_cast<std::uint16_t>(kBitTokenData + 0x14));
    b.word(kBitTokenData, static_cast<std::uint16_t>(perf));
    b.word(kBitTokenData + 4, static_cast<std::uint16_t>(kTimingTableAt));
    b.word(kBitTokenData + 0x10, static_cast<std::uint16_t>(kVoltageTableAt));
    b.word(kBitTokenData + 0x14, static_cast<std::uint16_t>(kScriptTableAt));
}

void buildStructure(ImageBuilder& b, const Recipe& r) {
    const std::size_t script = initScripts(b, r.timingA);
    b.word(kScriptTableAt, static_cast<std::uint16_t>(script)).word(kScriptTableAt + 2, 0);
    const bool voltageTable = r.fileName != "fx5500.rom" && r.fileName != "fx5200.rom";
    if (r.structure == Structure::Bmp)
        buildBmp(b, r, voltageTable);
    else
        buildBit(b, r);
}
} // namespace

const std::vector<std::uint16_t>& familyDevices() {
    static const std::vector<std::uint16_t> devices{0x0040, 0x0045, 0x0041, 0x0330, 0x0332, 0x0301, 0x0342,
                                                    0x0343, 0x0312, 0x0311, 0x0326, 0x0322, 0x0309, 0x0338};
    return devices;
}

const std::vector<std::vector<std::uint8_t>>& readerMarkers() {
    static const std::vector<std::vector<std::uint8_t>> markers{{0x10, 0x02, 0x03},
                                                                {0x10, 0x02, 0x02},
                                                                {0x18, 0x02, 0x20, 0xFF},
                                                                {0x18, 0x02, 0x20},
                                                                {0x18, 0x20},
                                                                {0x89, 0x55, 0x20},
                                                                {0x89, 0x55, 0x00},
                                                                {0x00, 0x02, 0x20},
                                                                {0x40, 0x01, 0x20},
                                                                {0x04, 0x08, 0x00, 0x02, 0x10, 0x00}};
    return markers;
}

namespace {

std::vector<Sample> buildSamples() {
    std::vector<Sample> samples;
    for (const Recipe& recipe : recipes()) {
        ImageBuilder builder;
        builder.header().pciData(kPciDataAt, recipe.device).subsystemVendor(recipe.vendor);
        builder.versionText(kVersionAt, recipe.version);
        recipe.tables(builder);
        if (recipe.structure != Structure::None) buildStructure(builder, recipe);
        builder.checksum();
        samples.push_back({recipe.fileName, recipe.title, builder.image()});
    }
    return samples;
}

} // namespace

std::vector<Sample> allSamples() {
    // Built once per process: the tests ask for them while registering their cases, in every one
    // of their processes, and an unoptimised build with sanitizers takes a good part of a second
    // to build them.
    static const std::vector<Sample> samples = buildSamples();
    return samples;
}

} // namespace zfx::samples
