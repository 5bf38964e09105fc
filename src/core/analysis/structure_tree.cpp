// SPDX-License-Identifier: MIT
#include "analysis/structure_tree.h"

#include "checks/finding.h"
#include "text/number_text.h"

#include <utility>

namespace zfx {

namespace {

// The bytes of the BMP signature and version, and of a BIT header without its tokens.
constexpr std::int32_t kBmpHeaderBytes = 8;
// The commands of the init scripts, as the decode reads them: 32h is 11 bytes and a u32 per
// memory configuration, 34h 12 bytes and a u16 per configuration, 79h 7 bytes.
constexpr std::int32_t kRestrictedProgramHead = 11;
constexpr std::int32_t kPllListHead = 12;
constexpr std::int32_t kSinglePllLength = 7;

TreeNode node(std::string label, std::string value, std::vector<ByteSpan> bytes = {}) {
    return {std::move(label), std::move(value), std::move(bytes), std::nullopt, {}};
}

std::string hex(std::uint32_t value) {
    return hexDigits(value, 2) + "h";
}

TreeNode chainNode(const OptionRomChain& chain) {
    TreeNode group = node("Option-ROM images", std::to_string(chain.images.size()));
    if (!chain.broken.empty()) group.value += ", " + chain.broken;
    for (std::size_t i = 0; i < chain.images.size(); ++i) {
        const OptionRomImage& rom = chain.images[i];
        std::string value = (rom.codeType == 0   ? "x86"
                             : rom.codeType == 3 ? "EFI"
                                                 : "code type " + hex(rom.codeType)) +
                            ", " + sizeText(rom.length()) + ", device " + hexDigits(rom.vendor, 4) + ":" +
                            hexDigits(rom.device, 4) + (rom.last ? ", last" : "");
        TreeNode image = node("Image " + std::to_string(i + 1) + " at " + hexOffset(rom.start),
                              std::move(value), {{rom.start, rom.length()}});
        if (rom.pciData)
            image.children.push_back(
                node("PCI data structure", hexOffset(*rom.pciData), {{*rom.pciData, 24}}));
        group.children.push_back(std::move(image));
    }
    return group;
}

TreeNode pointerNode(const char* what, std::int32_t target) {
    return node(what, target ? hexOffset(target) : "none",
                target ? std::vector<ByteSpan>{{target, 1}} : std::vector<ByteSpan>{});
}

TreeNode headerNode(const RomStructure& structure) {
    if (structure.bmp) {
        const BmpStructure& bmp = *structure.bmp;
        TreeNode header = node("BMP structure",
                               "version " + std::to_string(bmp.major) + "." + std::to_string(bmp.minor) +
                                   (bmp.checksumOk ? "" : ", checksum wrong"),
                               {{bmp.offset, kBmpHeaderBytes}});
        header.children.push_back(node("BIOS version", bmp.biosVersion));
        header.children.push_back(pointerNode("Performance table", bmp.perfPointer));
        header.children.push_back(pointerNode("Voltage table", bmp.voltagePointer));
        header.children.push_back(pointerNode("Init-script table", bmp.scriptPointer));
        return header;
    }
    const BitStructure& bit = *structure.bit;
    TreeNode header =
        node("BIT structure",
             "version " + hexDigits(bit.version, 4) + "h, " + std::to_string(bit.tokens.size()) + " tokens" +
                 (bit.checksumOk ? "" : ", checksum wrong"),
             {{bit.offset, bit.headerSize}});
    for (const BitToken& token : bit.tokens) {
        const std::string id = token.id >= 0x20 && token.id < 0x7F ? std::string(1, token.id)
                                                                   : hex(static_cast<std::uint8_t>(token.id));
        header.children.push_back(node("Token " + id,
                                       "version " + std::to_string(token.version) + ", " +
                                           std::to_string(token.dataLength) + " bytes at " +
                                           hexOffset(token.dataOffset),
                                       {{token.offset, bit.tokenSize}}));
    }
    return header;
}

TreeNode clockNode(std::string label, const PerfClock& clock, bool hundredths) {
    return node(std::move(label), mhzText(clock.value, hundredths), {{clock.offset, clock.width}});
}

TreeNode perfNode(const PerfTable& perf) {
    TreeNode table = node("Performance levels",
                          "table version " + hex(perf.version) + " at " + hexOffset(perf.offset) +
                              (perf.known ? "" : ", not decoded"),
                          {{perf.offset, perf.headerLength}});
    const bool hundredths = clocksInHundredths(perf);
    for (const PerfLevel& level : perf.levels) {
        TreeNode entry = node("Level " + hex(level.id), levelText(summarizeLevel(perf, level)),
                              {{level.offset, perf.entryLength}});
        entry.children.push_back(clockNode("Core clock", level.core, hundredths));
        for (std::size_t i = 0; i < level.memory.size(); ++i)
            entry.children.push_back(
                clockNode("Memory clock, copy " + std::to_string(i + 1), level.memory[i], hundredths));
        if (level.voltage)
            entry.children.push_back(node("Voltage", voltsText(*level.voltage), {{level.voltageOffset, 1}}));
        table.children.push_back(std::move(entry));
    }
    return table;
}

TreeNode voltageNode(const StructureVoltageTable& voltages) {
    TreeNode table =
        node("Voltage table",
             "version " + hex(voltages.version) + ", " + std::to_string(voltages.entries.size()) +
                 " entries, VID mask " + hex(voltages.mask) + (voltages.known ? "" : ", not decoded"),
             {{voltages.offset, voltages.headerLength}});
    for (std::size_t i = 0; i < voltages.entries.size(); ++i) {
        const StructureVoltage& entry = voltages.entries[i];
        table.children.push_back(node("Entry " + std::to_string(i + 1),
                                      voltsText(entry.voltage) + ", VID " + std::to_string(entry.vid),
                                      {{entry.offset, 2}}));
    }
    return table;
}

TreeNode timingNode(const TimingTable& timing) {
    TreeNode table = node("Timing table",
                          "version " + hex(timing.version) + ", " + std::to_string(timing.entries.size()) +
                              " entries of " + std::to_string(timing.entryLength) + " bytes" +
                              (timing.known ? "" : ", not decoded"),
                          {{timing.offset, timing.headerLength}});
    for (std::size_t i = 0; i < timing.entries.size(); ++i)
        table.children.push_back(node("Entry " + std::to_string(i + 1), hexOffset(timing.entries[i]),
                                      {{timing.entries[i], timing.entryLength}}));
    return table;
}

TreeNode scriptsNode(const InitScripts& scripts) {
    TreeNode group = node("Init scripts",
                          std::to_string(scripts.scripts.size()) + " scripts, " +
                              std::to_string(scripts.commandCount) + " commands",
                          {{scripts.tableOffset, 2}});
    for (const RestrictedProgram& program : scripts.programs)
        group.children.push_back(node("Memory register " + hexDigits(program.reg, 6) + "h (32h)",
                                      std::to_string(program.count) + " values, one per memory configuration",
                                      {{program.offset, kRestrictedProgramHead + 4 * program.count}}));
    for (const PllSetting& pll : scripts.plls) {
        std::string values;
        for (const std::uint16_t value : pll.values)
            values += (values.empty() ? "" : ", ") + mhzText(value, true);
        const std::int32_t length = pll.opcode == 0x34
                                        ? kPllListHead + 2 * static_cast<std::int32_t>(pll.values.size())
                                        : kSinglePllLength;
        group.children.push_back(node("Clock PLL " + hexDigits(pll.reg, 6) + "h (" + hex(pll.opcode) + ")",
                                      values, {{pll.offset, length}}));
    }
    return group;
}

TreeNode valuesNode(const ImageAnalysis& analysis) {
    TreeNode group = node("Values the editor reads", {});
    for (const FieldPlace& place : valuePlaces(analysis)) {
        std::vector<ByteSpan> bytes;
        for (const std::int32_t at : place.offsets)
            bytes.push_back({at, placeWidth(place.kind)});
        TreeNode value =
            node(place.caption, valueOf(place, analysis.image) + placeUnit(place.kind), std::move(bytes));
        value.field = place.field;
        const std::string levels = levelsText(place.levels);
        if (!levels.empty()) value.value += " (" + levels + ")";
        group.children.push_back(std::move(value));
    }
    group.value = std::to_string(group.children.size());
    return group;
}

TreeNode verdictsNode(const StructureCheck& check) {
    TreeNode group = node("Tables against the structure", check.line());
    for (const Finding& finding : check.findings) {
        TreeNode verdict = node(subjectName(finding), agreementName(finding.severity) + ": " + finding.text);
        for (const FindingPlace& place : finding.places) {
            std::vector<ByteSpan> bytes;
            if (place.offset) bytes.push_back({*place.offset, 1});
            verdict.bytes.insert(verdict.bytes.end(), bytes.begin(), bytes.end());
            verdict.children.push_back(
                node(place.name, place.value.empty() && place.offset ? hexOffset(*place.offset) : place.value,
                     std::move(bytes)));
        }
        group.children.push_back(std::move(verdict));
    }
    return group;
}

TreeNode problemsNode(const std::vector<DecodeProblem>& problems) {
    TreeNode group = node("Decode problems", std::to_string(problems.size()));
    for (const DecodeProblem& problem : problems)
        group.children.push_back(node("Problem", problem.text));
    return group;
}

const TreeNode* findField(const TreeNode& at, CardField field) {
    if (at.field == field) return &at;
    for (const TreeNode& child : at.children)
        if (const TreeNode* found = findField(child, field)) return found;
    return nullptr;
}

} // namespace

TreeNode structureTree(const ImageAnalysis& analysis) {
    const RomStructure& structure = analysis.structure;
    TreeNode root = node("BIOS image", sizeText(analysis.image.size()), {});
    root.children.push_back(chainNode(structure.chain));
    if (structure.hasStructure()) root.children.push_back(headerNode(structure));
    if (structure.perf) root.children.push_back(perfNode(*structure.perf));
    if (structure.voltage) root.children.push_back(voltageNode(*structure.voltage));
    if (structure.timing) root.children.push_back(timingNode(*structure.timing));
    if (structure.scripts) root.children.push_back(scriptsNode(*structure.scripts));
    root.children.push_back(valuesNode(analysis));
    root.children.push_back(verdictsNode(analysis.structureCheck));
    if (!structure.problems.empty()) root.children.push_back(problemsNode(structure.problems));
    return root;
}

const TreeNode* nodeOfField(const TreeNode& root, CardField field) {
    return findField(root, field);
}

} // namespace zfx
