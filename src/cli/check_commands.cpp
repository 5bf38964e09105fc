// SPDX-License-Identifier: MIT
// zorvane-fx-cli verify, diff and structure: the image check, the comparison of two images and the
// decoded BIOS structure, for scripts.
#include "commands.h"

#include "analysis/image_analysis.h"
#include "analysis/image_comparison.h"
#include "io/file_io.h"
#include "io/outcome.h"
#include "text/number_text.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <array>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace zfx::cli {

namespace {

std::string verdictTag(Severity severity) {
    constexpr std::array<const char*, 3> kWords{"ok  ", "note", "FAIL"};
    return kWords.at(static_cast<std::size_t>(severity));
}

std::string agreementTag(Severity severity) {
    constexpr std::array<const char*, 3> kWords{"confirmed   ", "not checked ", "CONTRADICTED"};
    return kWords.at(static_cast<std::size_t>(severity));
}

// A performance level's clock: hundredths of a MHz with both decimals in a u32 on GeForce FX,
// whole MHz on GeForce 6.
std::string clockText(const PerfClock& clock) {
    const std::string mhz = clock.width == 4 ? fixedHundredthsText(clock.value) : std::to_string(clock.value);
    return mhz + " MHz at " + hexOffset(clock.offset);
}

void printBmp(std::ostream& out, const BmpStructure& bmp) {
    out << "BMP at " << hexOffset(bmp.offset) << ": version " << hexDigits(bmp.major, 1).substr(0, 1) << "."
        << hexDigits(bmp.minor, 2) << ", checksum " << (bmp.checksumOk ? "correct" : "off") << ", BIOS "
        << bmp.biosVersion << "; performance table " << hexOffset(bmp.perfPointer) << ", voltage table "
        << hexOffset(bmp.voltagePointer) << ", init scripts " << hexOffset(bmp.scriptPointer) << "\n";
}

void printBit(std::ostream& out, const BitStructure& bit) {
    out << "BIT at " << hexOffset(bit.offset) << ": version " << hexValue(bit.version, 4) << ", checksum "
        << (bit.checksumOk ? "correct" : "off") << ", tokens";
    for (const BitToken& t : bit.tokens)
        out << " "
            << (t.id >= 32 && t.id < 127 ? std::string(1, t.id) : hexByte(static_cast<std::uint8_t>(t.id)))
            << int(t.version) << "@" << hexOffset(t.dataOffset);
    out << "; performance table " << hexOffset(bit.perfPointer) << ", timing table "
        << hexOffset(bit.timingPointer) << ", voltage table " << hexOffset(bit.voltagePointer)
        << ", init scripts " << hexOffset(bit.scriptPointer) << "\n";
}

void printPerf(std::ostream& out, const PerfTable& perf) {
    out << "Performance table at " << hexOffset(perf.offset) << ": version " << hexByte(perf.version) << ", "
        << perf.levels.size() << " levels of " << int(perf.entryLength) << " bytes"
        << (perf.known ? "" : " (version not known)") << "\n";
    for (const PerfLevel& level : perf.levels) {
        out << "  level id " << hexByte(level.id) << " at " << hexOffset(level.offset) << ": core "
            << clockText(level.core);
        if (!level.memory.empty()) out << ", memory " << clockText(level.memory.front());
        if (level.memory.size() > 1) out << " (" << level.memory.size() << " copies)";
        if (level.voltage)
            out << ", voltage " << voltsText(*level.voltage) << " at " << hexOffset(level.voltageOffset);
        if (level.timingBlock) out << ", timings at " << hexOffset(level.timingBlock);
        out << "\n";
    }
}

void printVoltageTable(std::ostream& out, const StructureVoltageTable& table) {
    out << "Voltage table at " << hexOffset(table.offset) << ": version " << hexByte(table.version) << ", "
        << table.entries.size() << " entries, VID mask " << hexByte(table.mask)
        << (table.known ? "" : " (version not known)") << "\n";
    for (const StructureVoltage& e : table.entries)
        out << "  " << voltsText(e.voltage) << ", VID " << int(e.vid) << " at " << hexOffset(e.offset)
            << "\n";
}

void printScripts(std::ostream& out, const InitScripts& scripts) {
    out << "Init scripts at " << hexOffset(scripts.tableOffset) << ": " << scripts.scripts.size()
        << (scripts.scripts.size() == 1 ? " script, " : " scripts, ") << scripts.commandCount
        << (scripts.commandCount == 1 ? " command\n" : " commands\n");
    for (const RestrictedProgram& p : scripts.programs)
        out << "  restricted program for register " << hexValue(p.reg, 6) << " at " << hexOffset(p.offset)
            << ": " << int(p.count) << " values from " << hexOffset(p.valuesOffset) << "\n";
    for (const PllSetting& p : scripts.plls) {
        out << "  PLL " << hexValue(p.reg, 6) << " at " << hexOffset(p.offset) << ":";
        for (const std::uint16_t value : p.values)
            out << " " << fixedHundredthsText(value) << " MHz";
        out << "\n";
    }
}

void printStructure(std::ostream& out, const RomStructure& s) {
    for (const OptionRomImage& rom : s.chain.images)
        out << "Image at " << hexOffset(rom.start) << ": " << rom.length() << " bytes, code type "
            << int(rom.codeType) << (rom.last ? ", last" : "") << "\n";
    if (s.bmp) printBmp(out, *s.bmp);
    if (s.bit) printBit(out, *s.bit);
    if (!s.hasStructure()) out << "No BMP or BIT structure.\n";
    if (s.perf) printPerf(out, *s.perf);
    if (s.voltage) printVoltageTable(out, *s.voltage);
    if (s.timing)
        out << "Timing table at " << hexOffset(s.timing->offset) << ": version " << hexByte(s.timing->version)
            << ", " << s.timing->entries.size() << (s.timing->entries.size() == 1 ? " entry" : " entries")
            << " of " << int(s.timing->entryLength) << " bytes\n";
    if (s.scripts) printScripts(out, *s.scripts);
    for (const DecodeProblem& problem : s.problems)
        out << "Not decoded: " << problem.text << "\n";
}

// One line per finding: its tag, its subject and its sentence.
void printFindings(std::ostream& out, const std::vector<Finding>& findings, std::string (*tag)(Severity)) {
    for (const Finding& f : findings)
        out << "  " << tag(f.severity) << " " << subjectName(f) << ": " << f.text << "\n";
}

} // namespace

int runStructure(const std::string& file, bool json, std::ostream& out, std::ostream& err) {
    const ReadResult read = readImageFile(file);
    if (!read.ok()) {
        err << visibleText(file) << ": " << kCantOpenFile << " " << visibleText(read.error) << "\n";
        return kExitFailed; // a file that cannot be read, as for every other command; 2 is for usage
    }
    const ImageAnalysis analysis = analyseImage(BiosImage(read.bytes));
    const RomStructure& structure = analysis.structure;
    const StructureCheck& check = analysis.structureCheck;
    if (json) {
        nlohmann::ordered_json line{{"file", file}};
        line.update(romStructureJson(structure));
        line["check"] = structureCheckJson(check);
        out << jsonLine(line) << "\n";
        return kExitOk;
    }
    out << visibleText(file) << "\n";
    printStructure(out, structure);
    out << check.line() << "\n";
    printFindings(out, check.findings, agreementTag);
    return kExitOk;
}

int runVerify(const std::vector<std::string>& files, bool json, std::ostream& out, std::ostream& err) {
    bool unreadable = false;
    bool failed = false;
    for (const std::string& file : files) {
        const ReadResult read = readImageFile(file);
        if (!read.ok()) {
            unreadable = true;
            err << visibleText(file) << ": " << kCantOpenFile << " " << visibleText(read.error) << "\n";
            if (json) out << jsonLine({{"file", file}, {"error", read.error}}) << "\n";
            continue;
        }
        const ImageAnalysis analysis = analyseImage(BiosImage(read.bytes));
        const ImageCheck& check = analysis.check;
        const StructureCheck& structure = analysis.structureCheck;
        failed = failed || !check.passed() || structure.contradicted();
        if (json) {
            nlohmann::ordered_json line{{"file", file}};
            line["pciIds"] = pciIdsJson(analysis.data.identity);
            line.update(imageCheckJson(check, analysis.structure.chain));
            line["passed"] = check.passed() && !structure.contradicted();
            line["structure"] = structureCheckJson(structure);
            out << jsonLine(line) << "\n";
            continue;
        }
        out << visibleText(file) << ": " << check.line() << "\n";
        out << "  PCI IDs: " << pciIdsText(analysis.data.identity) << "\n";
        printFindings(out, check.findings, verdictTag);
        out << visibleText(file) << ": " << structure.line() << "\n";
        printFindings(out, structure.findings, agreementTag);
    }
    if (unreadable) return kExitUsage;
    return failed ? kExitFailed : kExitOk;
}

namespace {

nlohmann::ordered_json comparisonJson(const ImageComparison& compared, const std::string& beforePath,
                                      const std::string& afterPath) {
    nlohmann::ordered_json identity = nlohmann::ordered_json::array();
    for (const IdentityDifference& d : compared.identity)
        identity.push_back({{"what", d.what}, {"old", d.before}, {"new", d.after}, {"loud", d.loud}});
    nlohmann::ordered_json other = nlohmann::ordered_json::array();
    for (const ByteRange& range : compared.otherBytes)
        other.push_back({{"offset", range.offset},
                         {"length", range.length},
                         {"old", range.before},
                         {"new", range.after}});
    return {{"old", beforePath},
            {"new", afterPath},
            {"identical", compared.identical},
            {"identity", identity},
            {"changes", changesJson(compared.fields)},
            {"otherBytes", other},
            {"checksum", checksumJson(compared.checksum)}};
}

void printComparison(std::ostream& out, const ImageComparison& compared) {
    if (compared.identical) {
        out << "The images are identical.\n";
        return;
    }
    // What makes every comparison below doubtful comes first, in capitals.
    // The BIOS versions come from the images: shown escaped, they cannot act on the terminal.
    for (const IdentityDifference& d : compared.identity)
        if (d.loud)
            out << "DIFFERENT " << d.what << ": " << visibleText(d.before) << " -> " << visibleText(d.after)
                << "\n";
    for (const IdentityDifference& d : compared.identity)
        if (!d.loud) out << d.what << ": " << visibleText(d.before) << " -> " << visibleText(d.after) << "\n";
    for (const FieldChange& change : compared.fields)
        out << changeLine(change) << "\n";
    for (const ByteRange& range : compared.otherBytes)
        out << range.length << (range.length == 1 ? " byte at " : " bytes at ") << hexOffset(range.offset)
            << ": " << (range.before.empty() ? "none" : range.before) << " -> "
            << (range.after.empty() ? "none" : range.after) << "\n";
    if (compared.checksum.changed()) out << checksumLine(compared.checksum) << "\n";
}

} // namespace

int runDiff(const std::string& beforePath, const std::string& afterPath, bool json, std::ostream& out,
            std::ostream& err) {
    const ReadResult before = readImageFile(beforePath);
    const ReadResult after = readImageFile(afterPath);
    bool unreadable = false;
    for (const auto& [path, read] : {std::pair{&beforePath, &before}, std::pair{&afterPath, &after}})
        if (!read->ok()) {
            err << visibleText(*path) << ": " << kCantOpenFile << " " << visibleText(read->error) << "\n";
            unreadable = true;
        }
    if (unreadable) return kExitUsage;

    const ImageComparison compared =
        compareImages(analyseImage(BiosImage(before.bytes)), analyseImage(BiosImage(after.bytes)));
    if (json)
        out << jsonLine(comparisonJson(compared, beforePath, afterPath)) << "\n";
    else
        printComparison(out, compared);
    return compared.identical ? kExitOk : kExitFailed;
}

Command addVerify(CLI::App& command) {
    struct Options {
        std::vector<std::string> files;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    command.add_flag("--json", o->json, "One JSON object per file, one per line");
    command.add_option("FILE", o->files, "ROM image files")->required();
    return [o](std::ostream& out, std::ostream& err) { return runVerify(o->files, o->json, out, err); };
}

Command addDiff(CLI::App& command) {
    struct Options {
        std::string before;
        std::string after;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    command.add_flag("--json", o->json, "One JSON object");
    command.add_option("A", o->before, "The first image, the original")->required();
    command.add_option("B", o->after, "The second image, the edited one")->required();
    return
        [o](std::ostream& out, std::ostream& err) { return runDiff(o->before, o->after, o->json, out, err); };
}

Command addStructure(CLI::App& command) {
    struct Options {
        std::string file;
        bool json = false;
    };
    auto o = std::make_shared<Options>();
    command.add_flag("--json", o->json, "One JSON object");
    command.add_option("FILE", o->file, "ROM image file")->required();
    return [o](std::ostream& out, std::ostream& err) { return runStructure(o->file, o->json, out, err); };
}

} // namespace zfx::cli
