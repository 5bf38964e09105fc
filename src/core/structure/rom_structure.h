// SPDX-License-Identifier: MIT
#pragma once

#include "image/bios_image.h"
#include "image/option_rom.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zfx {

// Where the image itself says its tables are. GeForce FX images carry a BMP structure, GeForce 6
// and later a BIT structure; both point to the performance table (the clocks and voltage of each
// performance level) and the voltage table, and the init scripts hold the boot memory timings.
// Every decoded value keeps the offset it came from; nothing is read outside the image.

struct BmpStructure {
    std::int32_t offset = 0;
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    bool checksumOk = false;         // its first 8 bytes sum to 0
    std::string biosVersion;         // major.chip.minor.micro, in hex
    std::int32_t perfPointer = 0;    // BMP+94h, 0 when this version has none
    std::int32_t voltagePointer = 0; // BMP+98h
    std::int32_t scriptPointer = 0;  // BMP+75 (decimal): the init-script table
};

struct BitToken {
    std::int32_t offset = 0; // of the token itself
    char id = 0;
    std::uint8_t version = 0;
    std::uint16_t dataLength = 0;
    std::uint16_t dataOffset = 0;
};

struct BitStructure {
    std::int32_t offset = 0;
    std::uint16_t version = 0;
    std::uint8_t headerSize = 0;
    std::uint8_t tokenSize = 0;
    std::uint8_t tokenCount = 0;
    bool checksumOk = false; // the header's bytes sum to 0
    std::vector<BitToken> tokens;
    std::int32_t perfPointer = 0; // from the 'P' token; 0 when absent
    std::int32_t timingPointer = 0;
    std::int32_t voltagePointer = 0;
    std::int32_t scriptPointer = 0; // from the 'I' token
};

// A clock of a performance level as stored: 10 kHz units (hundredths of a MHz) in a u32 on
// GeForce FX, whole MHz in a u16 on GeForce 6.
struct PerfClock {
    std::int32_t offset = 0;
    std::int32_t width = 4;
    std::uint32_t value = 0;
};

struct PerfLevel {
    std::int32_t offset = 0;
    std::uint8_t id = 0;
    PerfClock core;
    std::vector<PerfClock> memory;       // one per memory configuration where the table repeats it
    std::optional<std::uint8_t> voltage; // 10 mV
    std::int32_t voltageOffset = 0;
    std::optional<std::uint8_t> fan; // percent
    std::int32_t fanOffset = 0;
    std::int32_t timingBlock = 0;            // the 14 timing bytes of a version 15h level, 0 when none
    std::vector<std::uint8_t> timingIndices; // GeForce 6: per memory configuration, FFh none
};

// What the header of every table behind the BMP or BIT structure gives: where the table is, its
// version, and where its entries lie.
struct TableHeader {
    std::int32_t offset = 0;
    std::uint8_t version = 0;
    std::uint8_t headerLength = 0;
    std::uint8_t entryCount = 0;
    std::uint8_t entryLength = 0;
    bool known = false; // a version whose entries are decoded
};

struct PerfTable : TableHeader {
    bool bitHeader = false; // [version, header length, ...] rather than [header length, version, ...]
    std::uint8_t subCount = 0;
    std::uint8_t subLength = 0;
    std::vector<PerfLevel> levels;
};

// Performance tables from version 20h on are the GeForce 6's (BIT layout, clocks in MHz); the
// GeForce FX's come before them (clocks in 10 kHz).
inline constexpr std::uint8_t kFirstGeForce6PerfVersion = 0x20;
// Whether a performance table keeps its clocks in 10 kHz (GeForce FX) rather than in MHz.
inline bool clocksInHundredths(const PerfTable& perf) {
    return perf.version < kFirstGeForce6PerfVersion;
}

struct StructureVoltage {
    std::int32_t offset = 0;  // of the voltage byte; the VID's byte follows it
    std::uint8_t voltage = 0; // 10 mV
    std::uint8_t vid = 0;
};

struct StructureVoltageTable : TableHeader {
    std::uint8_t mask = 0;
    std::int32_t maskOffset = 0;
    std::vector<StructureVoltage> entries;
};

struct TimingTable : TableHeader {
    std::vector<std::int32_t> entries; // the offset of each entry
};

// An init-script command 32h: one u32 per memory configuration for a memory-controller register.
struct RestrictedProgram {
    std::int32_t offset = 0;
    std::uint32_t reg = 0;
    std::uint8_t count = 0;
    std::int32_t valuesOffset = 0;
};

// A PLL setting from the scripts (command 34h: one value per memory configuration; 79h: one).
struct PllSetting {
    std::int32_t offset = 0;
    std::uint8_t opcode = 0;
    std::uint32_t reg = 0;
    std::vector<std::uint16_t> values; // 10 kHz
    std::int32_t valuesOffset = 0;
};

struct InitScripts {
    std::int32_t tableOffset = 0;
    std::vector<std::int32_t> scripts; // every script reached, the called ones too
    std::int32_t commandCount = 0;
    std::vector<RestrictedProgram> programs;
    std::vector<PllSetting> plls;
};

// The parts of the structure a decode problem lies in.
enum class DecodeArea { Bmp, Bit, PerfTable, VoltageTable, TimingTable, Scripts };

// What could not be decoded, where, and why.
struct DecodeProblem {
    DecodeArea area;
    std::string text;
};

struct RomStructure {
    OptionRomChain chain;
    std::optional<BmpStructure> bmp;
    std::optional<BitStructure> bit;
    std::optional<PerfTable> perf;
    std::optional<StructureVoltageTable> voltage;
    std::optional<TimingTable> timing;
    std::optional<InitScripts> scripts;
    std::vector<DecodeProblem> problems;
    bool hasStructure() const { return bmp || bit; }
};

RomStructure decodeRomStructure(const BiosImage& image);

} // namespace zfx
