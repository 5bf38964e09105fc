// SPDX-License-Identifier: MIT
#include "save/save_plan.h"

#include <algorithm>

namespace zfx {

namespace {

void append(std::vector<ByteWrite>& to, const std::vector<ByteWrite>& writes) {
    to.insert(to.end(), writes.begin(), writes.end());
}

// Whether the structure contradicts a table the writes go into: a clock or timing field written,
// or the voltage table (its place, its entries, the levels' voltages) when a voltage is written.
bool writesIntoContradiction(const StructureCheck& check, const std::vector<ByteWrite>& writes) {
    const auto writesField = [&](const Finding& f) {
        return std::any_of(writes.begin(), writes.end(), [&](const ByteWrite& w) {
            return f.subject == Subject::Field ? f.field == w.field
                                               : fieldInfo(w.field).group == FieldGroup::Voltage;
        });
    };
    return std::any_of(check.findings.begin(), check.findings.end(),
                       [&](const Finding& f) { return f.severity == Severity::Problem && writesField(f); });
}

// The checksum goes where the card checks it. A file whose first image is an x86 option ROM
// followed by more (padding, an EFI image) gets that image's last byte, so the image sums to 0 and
// no byte after it changes, as long as every write lies inside the image. Any other file gets its
// last byte, set so that the whole file sums to 0.
void setChecksum(const ImageAnalysis& opened, SavePlan& plan, BiosImage& saved) {
    const std::optional<std::int32_t> image = shorterX86ImageLength(opened.structure.chain, saved.size());
    const bool inside = image && std::all_of(plan.writes.begin(), plan.writes.end(),
                                             [&](const ByteWrite& w) { return w.offset < *image; });
    if (inside) {
        plan.checksumOffset = *image - 1;
        plan.checksum = saved.checksumOver(*image);
    } else {
        plan.checksumOffset = saved.size() - 1;
        plan.checksum = static_cast<std::uint8_t>(saved.imageChecksum() & 0xFF);
    }
    saved.set(plan.checksumOffset, plan.checksum);
}

} // namespace

SavePlanResult planSave(const ImageAnalysis& opened, const CardData& shown, const SaveEdits& edits) {
    SavePlan plan;
    if (shown.voltages.table)
        plan.writes = writeVoltages(*shown.voltages.table, edits.offered, edits.selections).writes;
    std::optional<ValueFailure> refused;
    if (edits.timingsEdited && shown.timings.timings) {
        const TableWrite timings = writeMemoryTimings(*shown.timings.timings, edits.texts);
        refused = timings.failure;
        append(plan.writes, timings.writes);
    }
    if (!refused) {
        const TableWrite clocks = writeClocks(shown.clocks, edits.texts);
        refused = clocks.failure;
        append(plan.writes, clocks.writes);
    }
    if (refused) return {std::nullopt, refused};

    // The new image is built beside the opened one, which stays as it is until the file is written.
    BiosImage saved = opened.image;
    for (const ByteWrite& w : plan.writes)
        saved.set(w.offset, w.value);
    setChecksum(opened, plan, saved);
    plan.after = analyseImage(std::move(saved));
    if (opened.dumpDamage)
        plan.objections.push_back({SaveObjection::Kind::DamagedDump, kSaveDamagedDump, *opened.dumpDamage});
    if (writesIntoContradiction(plan.after.structureCheck, plan.writes))
        plan.objections.push_back({SaveObjection::Kind::Contradicted, kSaveDespiteStructure,
                                   plan.after.structureCheck.contradictions()});
    return {std::move(plan), std::nullopt};
}

std::string refusalText(const ValueFailure& failure) {
    const FieldInfo& info = fieldInfo(failure.field);
    const std::string name(info.caption);
    const std::string unit = info.unit.empty() ? std::string() : " " + std::string(info.unit);
    if (failure.kind == ValueFailure::Kind::NotANumber)
        return name + " holds \"" + failure.text + "\", which is not a whole number" +
               (unit.empty() ? "" : " of MHz") + ".";
    return name + " is " + failure.text + "; it must be 0 to " + std::to_string(failure.maximum) + unit + ".";
}

} // namespace zfx
