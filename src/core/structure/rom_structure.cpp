// SPDX-License-Identifier: MIT
#include "structure/rom_structure.h"

#include "text/number_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <set>

namespace zfx {

namespace {

// Bounds on every walk: no real image comes near them, damaged bytes cannot make one endless.
constexpr int kMaxTokens = 64;
constexpr int kMaxLevels = 32;
constexpr int kMaxSubEntries = 16;
constexpr int kMaxVoltageEntries = 64;
constexpr int kMaxTimingEntries = 64;
constexpr int kMaxScripts = 512;
constexpr int kMaxCommands = 20000;

std::uint32_t u32(const BiosImage& image, std::int64_t at) {
    return static_cast<std::uint32_t>(image.word(at)) |
           (static_cast<std::uint32_t>(image.word(at + 2)) << 16);
}

// Entries that follow each other behind a table's header: where the first starts, how far apart
// they lie, how many the header gives (within the walk's bound), and how many bytes of each must
// lie inside the image.
struct EntryRun {
    std::int64_t first = 0;
    std::int64_t stride = 0;
    int count = 0;
    std::int64_t bytes = 0;
};

// Where each entry starts, as far as the entries lie inside the image; where one runs past the
// end, that problem is said and the walk ends.
std::vector<std::int64_t> entryStarts(const BiosImage& image, const EntryRun& run, DecodeProblem pastTheEnd,
                                      std::vector<DecodeProblem>& problems) {
    std::vector<std::int64_t> starts;
    for (int i = 0; i < run.count; ++i) {
        const std::int64_t e = run.first + static_cast<std::int64_t>(i) * run.stride;
        if (!image.contains(e, e + run.bytes - 1)) {
            problems.push_back(std::move(pastTheEnd));
            break;
        }
        starts.push_back(e);
    }
    return starts;
}

std::int64_t firstOccurrence(const BiosImage& image, const std::vector<std::uint8_t>& needle) {
    // Both signatures start with FF; memchr jumps from one FF to the next.
    const auto& bytes = image.bytes();
    if (needle.empty() || bytes.size() < needle.size()) return -1;
    const std::uint8_t* data = bytes.data();
    const std::size_t lastStart = bytes.size() - needle.size();
    for (std::size_t at = 0; at <= lastStart;) {
        const void* hit = std::memchr(data + at, needle[0], lastStart - at + 1);
        if (!hit) return -1;
        at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data);
        if (std::memcmp(data + at, needle.data(), needle.size()) == 0) return static_cast<std::int64_t>(at);
        ++at;
    }
    return -1;
}

// A pointer that names a place inside the image, or 0.
std::int32_t inside(const BiosImage& image, std::int64_t pointer) {
    return pointer > 0 && image.contains(pointer, pointer) ? static_cast<std::int32_t>(pointer) : 0;
}

std::optional<BmpStructure> readBmp(const BiosImage& image, std::vector<DecodeProblem>& problems) {
    const std::int64_t at = firstOccurrence(image, {0xFF, 0x7F, 0x4E, 0x56, 0x00});
    if (at < 0) return std::nullopt;
    BmpStructure bmp;
    bmp.offset = static_cast<std::int32_t>(at);
    bmp.major = image.at(at + 5);
    bmp.minor = image.at(at + 6);
    unsigned sum = 0;
    for (int i = 0; i < 8; ++i)
        sum += image.at(at + i);
    bmp.checksumOk = image.contains(at, at + 7) && sum % 256 == 0;
    bmp.biosVersion = hexDigits(image.at(at + 13), 2) + "." + hexDigits(image.at(at + 12), 2) + "." +
                      hexDigits(image.at(at + 11), 2) + "." + hexDigits(image.at(at + 10), 2);
    if (bmp.major != 5) {
        problems.push_back(DecodeProblem{DecodeArea::Bmp, "BMP version " + hexDigits(bmp.major, 2) + "." +
                                                              hexDigits(bmp.minor, 2) +
                                                              " has no table pointers the decoder knows"});
        return bmp;
    }
    if (bmp.minor >= 0x10) bmp.scriptPointer = inside(image, image.word(at + 75));
    if (bmp.minor >= 0x25) bmp.perfPointer = inside(image, image.word(at + 0x94));
    if (bmp.minor >= 0x27) bmp.voltagePointer = inside(image, image.word(at + 0x98));
    return bmp;
}

std::optional<BitStructure> readBit(const BiosImage& image, std::vector<DecodeProblem>& problems) {
    const std::int64_t at = firstOccurrence(image, {0xFF, 0xB8, 'B', 'I', 'T'});
    if (at < 0) return std::nullopt;
    BitStructure bit;
    bit.offset = static_cast<std::int32_t>(at);
    bit.version = image.word(at + 6);
    bit.headerSize = image.at(at + 8);
    bit.tokenSize = image.at(at + 9);
    bit.tokenCount = image.at(at + 10);
    unsigned sum = 0;
    for (int i = 0; i < bit.headerSize; ++i)
        sum += image.at(at + i);
    bit.checksumOk = bit.headerSize >= 12 && image.contains(at, at + bit.headerSize - 1) && sum % 256 == 0;
    if (bit.tokenSize < 6) {
        problems.push_back(DecodeProblem{DecodeArea::Bit, "the BIT structure gives tokens of " +
                                                              std::to_string(bit.tokenSize) + " bytes"});
        return bit;
    }
    const EntryRun tokens{at + bit.headerSize, bit.tokenSize, std::min<int>(bit.tokenCount, kMaxTokens), 6};
    for (const std::int64_t token : entryStarts(
             image, tokens, {DecodeArea::Bit, "the BIT tokens run past the end of the image"}, problems))
        bit.tokens.push_back({static_cast<std::int32_t>(token), static_cast<char>(image.at(token)),
                              image.at(token + 1), image.word(token + 2), image.word(token + 4)});
    for (const BitToken& token : bit.tokens) {
        const std::int64_t data = token.dataOffset;
        if (token.id == 'P') {
            if (token.version == 1) {
                bit.perfPointer = inside(image, u32(image, data));
                bit.timingPointer = inside(image, u32(image, data + 4));
                bit.voltagePointer = inside(image, u32(image, data + 0x10));
            } else if (token.version == 2) {
                bit.perfPointer = inside(image, u32(image, data));
                bit.timingPointer = inside(image, u32(image, data + 8));
                bit.voltagePointer = inside(image, u32(image, data + 0x0C));
            } else {
                problems.push_back(DecodeProblem{DecodeArea::Bit, "BIT token P of version " +
                                                                      std::to_string(token.version) +
                                                                      " is not known"});
            }
        } else if (token.id == 'I') {
            bit.scriptPointer = inside(image, image.word(data));
        }
    }
    return bit;
}

bool fxVersion(std::uint8_t version) {
    return version >= 0x12 && version <= 0x15;
}

bool geforce6Version(std::uint8_t version) {
    return version == 0x21 || version == 0x23 || version == 0x24 || version == 0x25;
}

// The header: [version, header length, count, entry length, sub-entry count, sub-entry length]
// behind a BIT, [header length, version, count, entry length] behind a BMP.
PerfTable readPerfHeader(const BiosImage& image, std::int32_t at, bool fromBit) {
    PerfTable t;
    t.offset = at;
    const std::uint8_t first = image.at(at);
    // A BIT's table begins with its version, a GeForce 6 one; a BMP's with its header length.
    t.bitHeader = fromBit && first >= kFirstGeForce6PerfVersion && first <= 0x3F;
    if (t.bitHeader) {
        t.version = first;
        t.headerLength = image.at(at + 1);
        t.entryCount = image.at(at + 2);
        t.entryLength = image.at(at + 3);
        t.subCount = image.at(at + 4);
        t.subLength = image.at(at + 5);
    } else {
        t.headerLength = first;
        t.version = image.at(at + 1);
        t.entryCount = image.at(at + 2);
        t.entryLength = image.at(at + 3);
    }
    t.known = fxVersion(t.version) || geforce6Version(t.version);
    return t;
}

PerfClock clockAt(const BiosImage& image, std::int64_t at, std::int32_t width) {
    return PerfClock{static_cast<std::int32_t>(at), width, width == 4 ? u32(image, at) : image.word(at)};
}

// An FX level: u32 clocks in 10 kHz, the core at +1, the memory at +5 (and seven more copies, one
// per memory configuration, in version 15h), the timing block at +41, the fan at +55 and the
// voltage at +56.
void readFxLevel(const BiosImage& image, std::int64_t e, const PerfTable& t, PerfLevel& level) {
    const int length = t.entryLength;
    if (length >= 9) {
        level.core = clockAt(image, e + 1, 4);
        level.memory.push_back(clockAt(image, e + 5, 4));
    }
    if (t.version == 0x15)
        for (int k = 1; k < 8 && 5 + 4 * k + 3 < length; ++k)
            level.memory.push_back(clockAt(image, e + 5 + 4LL * k, 4));
    if (length > 55) {
        level.fan = image.at(e + 55);
        level.fanOffset = static_cast<std::int32_t>(e + 55);
    }
    if (length > 56) {
        level.voltage = image.at(e + 56);
        level.voltageOffset = static_cast<std::int32_t>(e + 56);
    }
    if (t.version == 0x15 && length >= 55) level.timingBlock = static_cast<std::int32_t>(e + 41);
}

// A GeForce 6 level: the fan at +4, the voltage at +5, u16 clocks in MHz (the core at +6, the memory at +11,
// or +12 in version 25h), then a sub-entry per memory configuration whose byte +1 picks its timings.
void readGeForce6Level(const BiosImage& image, std::int64_t e, const PerfTable& t, PerfLevel& level) {
    const int length = t.entryLength;
    const int memoryAt = t.version == 0x25 ? 12 : 11;
    if (length > memoryAt + 1) {
        level.core = clockAt(image, e + 6, 2);
        level.memory.push_back(clockAt(image, e + memoryAt, 2));
        level.voltage = image.at(e + 5);
        level.voltageOffset = static_cast<std::int32_t>(e + 5);
        level.fan = image.at(e + 4);
        level.fanOffset = static_cast<std::int32_t>(e + 4);
    }
    const int subCount = std::min<int>(t.subCount, kMaxSubEntries);
    for (int s = 0; s < subCount; ++s)
        level.timingIndices.push_back(image.at(e + length + static_cast<std::int64_t>(s) * t.subLength + 1));
}

PerfTable readPerf(const BiosImage& image, std::int32_t at, bool fromBit,
                   std::vector<DecodeProblem>& problems) {
    PerfTable t = readPerfHeader(image, at, fromBit);
    if (!t.known) {
        problems.push_back(DecodeProblem{DecodeArea::PerfTable,
                                         "the performance table at " + hexOffset(at) + " has version " +
                                             hexDigits(t.version, 2) + "h, which the decoder does not know"});
        return t;
    }
    const std::int64_t stride = t.entryLength + static_cast<std::int64_t>(t.subCount) * t.subLength;
    // A level without its own bytes is no level: not even the first one lies in the image.
    const EntryRun levels{at + t.headerLength, stride, std::min<int>(t.entryCount, kMaxLevels),
                          t.entryLength == 0 ? 0 : stride};
    for (const std::int64_t e : entryStarts(
             image, levels, {DecodeArea::PerfTable, "the performance levels run past the end of the image"},
             problems)) {
        PerfLevel level;
        level.offset = static_cast<std::int32_t>(e);
        level.id = image.at(e);
        if (fxVersion(t.version))
            readFxLevel(image, e, t, level);
        else
            readGeForce6Level(image, e, t, level);
        t.levels.push_back(std::move(level));
    }
    return t;
}

// Where each version of the voltage table keeps its header fields. Versions 10h to 12h have a
// header of 5 bytes that does not give its own length.
struct VoltageHeader {
    std::uint8_t firstVersion;
    std::uint8_t lastVersion;
    std::int32_t headerLengthAt; // 0: the header is kShortVoltageHeader bytes
    std::int32_t entryLengthAt;
    std::int32_t entryCountAt;
    std::int32_t maskAt;
};
constexpr std::uint8_t kShortVoltageHeader = 5;
constexpr std::array<VoltageHeader, 3> kVoltageHeaders{{
    {0x10, 0x12, 0, 1, 2, 4},
    {0x20, 0x20, 1, 3, 2, 5},
    {0x30, 0x30, 1, 2, 3, 4},
}};

StructureVoltageTable readVoltages(const BiosImage& image, std::int32_t at,
                                   std::vector<DecodeProblem>& problems) {
    StructureVoltageTable t;
    t.offset = at;
    t.version = image.at(at);
    const auto layout =
        std::find_if(kVoltageHeaders.begin(), kVoltageHeaders.end(), [&](const VoltageHeader& h) {
            return t.version >= h.firstVersion && t.version <= h.lastVersion;
        });
    if (layout == kVoltageHeaders.end()) {
        problems.push_back(DecodeProblem{DecodeArea::VoltageTable,
                                         "the voltage table at " + hexOffset(at) + " has version " +
                                             hexDigits(t.version, 2) + "h, which the decoder does not know"});
        return t;
    }
    t.headerLength = layout->headerLengthAt ? image.at(at + layout->headerLengthAt) : kShortVoltageHeader;
    t.entryLength = image.at(at + layout->entryLengthAt);
    t.entryCount = image.at(at + layout->entryCountAt);
    t.mask = image.at(at + layout->maskAt);
    t.maskOffset = at + layout->maskAt;
    t.known = true;
    if (t.entryLength < 2) {
        problems.push_back(DecodeProblem{DecodeArea::VoltageTable,
                                         "the voltage table at " + hexOffset(at) + " gives entries of " +
                                             std::to_string(t.entryLength) + " bytes"});
        return t;
    }
    const EntryRun entries{at + t.headerLength, t.entryLength,
                           std::min<int>(t.entryCount, kMaxVoltageEntries), 2};
    for (const std::int64_t e : entryStarts(
             image, entries, {DecodeArea::VoltageTable, "the voltage entries run past the end of the image"},
             problems)) {
        const std::uint8_t vid =
            t.version == 0x30 ? static_cast<std::uint8_t>(image.at(e + 1) >> 2) : image.at(e + 1);
        t.entries.push_back({static_cast<std::int32_t>(e), image.at(e), vid});
    }
    return t;
}

TimingTable readTimings(const BiosImage& image, std::int32_t at, std::vector<DecodeProblem>& problems) {
    TimingTable t;
    t.offset = at;
    t.version = image.at(at);
    t.headerLength = image.at(at + 1);
    t.entryCount = image.at(at + 2);
    t.entryLength = image.at(at + 3);
    t.known = t.version == 0x10 && t.entryLength > 0;
    if (!t.known) {
        problems.push_back(DecodeProblem{DecodeArea::TimingTable,
                                         "the memory timing table at " + hexOffset(at) + " has version " +
                                             hexDigits(t.version, 2) + "h, which the decoder does not know"});
        return t;
    }
    const EntryRun entries{at + t.headerLength, t.entryLength, std::min<int>(t.entryCount, kMaxTimingEntries),
                           t.entryLength};
    for (const std::int64_t e : entryStarts(
             image, entries,
             {DecodeArea::TimingTable, "the memory timing entries run past the end of the image"}, problems))
        t.entries.push_back(static_cast<std::int32_t>(e));
    return t;
}

// The length in bytes of the script command at, or 0 when the command is not known. memoryConfigs
// is the count of memory configurations, 0 while unknown.
std::int64_t commandLength(const BiosImage& image, std::int64_t at, int memoryConfigs) {
    static const auto fixed = [] {
        std::array<std::uint8_t, 256> lengths{};
        const std::pair<std::uint8_t, std::uint8_t> known[] = {
            {0x33, 2},  {0x36, 1},  {0x37, 11}, {0x38, 1}, {0x39, 2}, {0x3A, 3},  {0x3B, 2}, {0x3C, 2},
            {0x47, 9},  {0x48, 9},  {0x4B, 9},  {0x4F, 5}, {0x52, 4}, {0x53, 3},  {0x56, 3}, {0x57, 3},
            {0x59, 7},  {0x5A, 7},  {0x5B, 3},  {0x5C, 3}, {0x5E, 6}, {0x5F, 22}, {0x62, 5}, {0x63, 1},
            {0x65, 13}, {0x66, 1},  {0x67, 1},  {0x68, 1}, {0x69, 5}, {0x6B, 2},  {0x6D, 3}, {0x6E, 13},
            {0x6F, 2},  {0x71, 1},  {0x72, 1},  {0x73, 9}, {0x74, 3}, {0x75, 2},  {0x76, 2}, {0x77, 7},
            {0x78, 6},  {0x79, 7},  {0x7A, 9},  {0x8C, 1}, {0x8D, 1}, {0x8E, 1},  {0x90, 9}, {0x92, 1},
            {0x96, 17}, {0x97, 13}, {0x9A, 7},  {0x9E, 1}, {0xAA, 4}, {0xAC, 13}, {0xB0, 1}, {0xB1, 3},
            {0xB4, 8}};
        for (const auto& [opcode, length] : known)
            lengths[opcode] = length;
        return lengths;
    }();
    struct Counted {
        std::uint8_t opcode;
        int base;
        int countAt;
        int item;
    };
    static constexpr Counted counted[] = {
        {0x32, 11, 6, 4}, {0x34, 12, 7, 2}, {0x4A, 11, 6, 4}, {0x4C, 4, 3, 3}, {0x4D, 4, 3, 2},
        {0x4E, 4, 3, 1},  {0x50, 3, 2, 2},  {0x51, 5, 4, 1},  {0x54, 2, 1, 2}, {0x58, 6, 5, 4},
        {0x91, 6, 5, 4},  {0x98, 6, 5, 2},  {0x99, 6, 5, 1},  {0xA9, 2, 1, 1}, {0x49, 18, 17, 2}};
    const std::uint8_t opcode = image.at(at);
    if (fixed[opcode] != 0) return fixed[opcode];
    for (const Counted& c : counted)
        if (c.opcode == opcode) return c.base + static_cast<std::int64_t>(image.at(at + c.countAt)) * c.item;
    if (opcode == 0xAF) {
        const std::int64_t a = image.at(at + 2);
        return 3 + 4 * a + 4 * a * image.at(at + 1);
    }
    if (memoryConfigs > 0 && opcode == 0x87) return 2 + 4 * static_cast<std::int64_t>(memoryConfigs);
    if (memoryConfigs > 0 && opcode == 0x8F)
        return 7 + 4 * static_cast<std::int64_t>(memoryConfigs) * image.at(at + 6);
    return 0;
}

// One walk of every script from the table. memoryConfigs is the count of memory configurations
// when known (0: not yet); needsCount tells whether a command that depends on it stopped a script.
// One walk: its state while it goes from script to script.
class ScriptWalk {
  public:
    ScriptWalk(const BiosImage& image, int memoryConfigs, std::vector<DecodeProblem>& problems)
        : m_image(image), m_memoryConfigs(memoryConfigs), m_problems(problems) {}

    InitScripts run(std::int32_t tableAt) {
        m_scripts.tableOffset = tableAt;
        readTable(tableAt);
        std::set<std::int32_t> seen;
        while (!m_pending.empty() && m_scripts.commandCount < kMaxCommands) {
            const std::int32_t start = m_pending.front();
            m_pending.erase(m_pending.begin());
            if (!seen.insert(start).second) continue; // a script called twice, or calling itself
            m_seen = seen.size();
            if (!m_image.contains(start, start)) {
                problem("a script is said to start at " + hexOffset(start) + ", past the end of the image");
                continue;
            }
            m_scripts.scripts.push_back(start);
            walkScript(start);
        }
        if (m_scripts.commandCount >= kMaxCommands)
            problem("the scripts hold more than " + std::to_string(kMaxCommands) +
                    " commands; the walk stopped there");
        return std::move(m_scripts);
    }

    // Whether a command whose length depends on the count of memory configurations stopped a script.
    bool needsCount() const { return m_needsCount; }

  private:
    void problem(std::string text) {
        m_problems.push_back(DecodeProblem{DecodeArea::Scripts, std::move(text)});
    }

    void readTable(std::int32_t tableAt) {
        for (int i = 0; i < kMaxScripts; ++i) {
            const std::int64_t entry = tableAt + 2LL * i;
            if (!m_image.contains(entry, entry + 1)) {
                problem("the init-script table runs past the end of the image");
                break;
            }
            const std::uint16_t script = m_image.word(entry);
            if (script == 0) break;
            m_pending.push_back(script);
        }
    }

    void walkScript(std::int32_t start) {
        for (std::int64_t at = start; m_scripts.commandCount < kMaxCommands;) {
            const std::uint8_t opcode = m_image.at(at);
            const std::int64_t length = commandLength(m_image, at, m_memoryConfigs);
            const std::string where = "the script at " + hexOffset(start);
            if (length == 0 && m_memoryConfigs == 0 && (opcode == 0x87 || opcode == 0x8F)) {
                m_needsCount = true;
                problem(
                    where + " has command " + hexDigits(opcode, 2) + "h at " + hexOffset(at) +
                    ", whose length depends on the count of memory configurations, not known yet; its walk "
                    "ends there");
                return;
            }
            if (length == 0) {
                problem(where + " has command " + hexDigits(opcode, 2) + "h at " + hexOffset(at) +
                        ", which the decoder does not know; its walk ends there");
                return;
            }
            if (!m_image.contains(at, at + length - 1)) {
                problem(where + " runs past the end of the image");
                return;
            }
            ++m_scripts.commandCount;
            if (opcode == 0x71) return;
            noteCommand(opcode, at);
            at += length;
        }
    }

    // What the decode keeps of a command: the restricted programs (32h), the PLL settings (34h,
    // 79h) and the scripts a command calls (5Bh).
    void noteCommand(std::uint8_t opcode, std::int64_t at) {
        const auto here = static_cast<std::int32_t>(at);
        if (opcode == 0x32) {
            const RestrictedProgram program{here, u32(m_image, at + 7), m_image.at(at + 6),
                                            static_cast<std::int32_t>(at + 11)};
            if (m_memoryConfigs == 0) m_memoryConfigs = program.count;
            m_scripts.programs.push_back(program);
        } else if (opcode == 0x34) {
            PllSetting pll{here, opcode, u32(m_image, at + 8), {}, static_cast<std::int32_t>(at + 12)};
            for (int i = 0; i < m_image.at(at + 7); ++i)
                pll.values.push_back(m_image.word(at + 12 + 2LL * i));
            m_scripts.plls.push_back(std::move(pll));
        } else if (opcode == 0x79) {
            m_scripts.plls.push_back({here,
                                      opcode,
                                      u32(m_image, at + 1),
                                      {m_image.word(at + 5)},
                                      static_cast<std::int32_t>(at + 5)});
        } else if (opcode == 0x5B) {
            if (static_cast<int>(m_seen + m_pending.size()) < kMaxScripts)
                m_pending.push_back(m_image.word(at + 1));
        }
    }

    const BiosImage& m_image;
    int m_memoryConfigs;
    std::vector<DecodeProblem>& m_problems;
    InitScripts m_scripts;
    std::vector<std::int32_t> m_pending;
    std::size_t m_seen = 0; // scripts walked or set aside as repeats
    bool m_needsCount = false;
};

InitScripts walkOnce(const BiosImage& image, std::int32_t tableAt, int memoryConfigs, bool& needsCount,
                     std::vector<DecodeProblem>& problems) {
    ScriptWalk walk(image, memoryConfigs, problems);
    InitScripts scripts = walk.run(tableAt);
    needsCount = needsCount || walk.needsCount();
    return scripts;
}

// The walk, once more when a command needed the count of memory configurations that a restricted
// program only gave later.
InitScripts walkScripts(const BiosImage& image, std::int32_t tableAt, std::vector<DecodeProblem>& problems) {
    bool needsCount = false;
    std::vector<DecodeProblem> firstProblems;
    InitScripts first = walkOnce(image, tableAt, 0, needsCount, firstProblems);
    if (!needsCount || first.programs.empty()) {
        problems.insert(problems.end(), firstProblems.begin(), firstProblems.end());
        return first;
    }
    bool stillNeeds = false;
    return walkOnce(image, tableAt, first.programs.front().count, stillNeeds, problems);
}

} // namespace

RomStructure decodeRomStructure(const BiosImage& image) {
    RomStructure s;
    s.chain = readOptionRomChain(image);
    s.bmp = readBmp(image, s.problems);
    s.bit = readBit(image, s.problems);
    if (!s.hasStructure()) return s;
    // A driver takes the BIT structure when there is one, else the BMP.
    const bool fromBit = s.bit.has_value();
    const std::int32_t perf = fromBit ? s.bit->perfPointer : s.bmp->perfPointer;
    const std::int32_t voltage = fromBit ? s.bit->voltagePointer : s.bmp->voltagePointer;
    const std::int32_t script = fromBit ? s.bit->scriptPointer : s.bmp->scriptPointer;
    if (perf) s.perf = readPerf(image, perf, fromBit, s.problems);
    if (voltage) s.voltage = readVoltages(image, voltage, s.problems);
    if (fromBit && s.bit->timingPointer) s.timing = readTimings(image, s.bit->timingPointer, s.problems);
    if (script) s.scripts = walkScripts(image, script, s.problems);
    return s;
}

} // namespace zfx
