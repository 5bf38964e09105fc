// SPDX-License-Identifier: MIT
#include "save/save_plan.h"

namespace zfx {

namespace {

void append(std::vector<ByteWrite>& to, const std::vector<ByteWrite>& writes) {
    to.insert(to.end(), writes.begin(), writes.end());
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
    plan.checksumOffset = saved.size() - 1;
    plan.checksum = static_cast<std::uint8_t>(saved.imageChecksum() & 0xFF);
    saved.set(plan.checksumOffset, plan.checksum);
    plan.after = analyseImage(std::move(saved));
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
