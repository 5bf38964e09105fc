// SPDX-License-Identifier: MIT
#include "save/save_plan.h"

#include "image/option_rom.h"
#include "text/number_text.h"

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

// A dump whose image did not sum to 0 when it was opened is never laundered: a save the user
// agreed to keeps the image's sum as far off as it was, so the image check (and verify) still
// names the fault. A correct checksum would make a damaged dump look sound.
void keepDamageVisible(const ImageAnalysis& opened, SavePlan& plan) {
    const BiosImage& image = opened.image;
    const std::optional<OptionRomHeader> header = readOptionRomHeader(image);
    if (!header || !header->complete) return;
    const std::int32_t length = header->size;
    if (length == 0 || length > image.size() || plan.checksumOffset >= length) return;
    // The bytes add up as bytes, straight from the buffer: a loop the compiler vectorises.
    const std::uint8_t* bytes = image.bytes().data();
    std::uint8_t offBy = 0;
    for (std::int32_t i = 0; i < length; ++i)
        offBy = static_cast<std::uint8_t>(offBy + bytes[i]);
    if (offBy == 0) return;
    plan.checksum = static_cast<std::uint8_t>(plan.checksum + offBy);
    plan.notes.push_back(
        "The image's checksum was wrong when the file was opened, and it is kept as far off as it "
        "was: the saved file still shows the damage. Read the BIOS from the card again.");
}

// The checksum goes where the card checks it. A file whose first image is an x86 option ROM
// followed by more (padding, an EFI image) gets that image's last byte, so the image sums to 0 and
// no byte after it changes, as long as every write lies inside the image. Any other file gets its
// last byte, set so that the whole file sums to 0.
void setChecksum(const ImageAnalysis& opened, SavePlan& plan, BiosImage& saved) {
    const std::optional<std::int32_t> image = shorterX86ImageLength(opened.structure.chain, saved.size());
    const bool inside = image &&
                        std::all_of(plan.writes.begin(), plan.writes.end(),
                                    [&](const ByteWrite& w) { return w.offset < *image; }) &&
                        std::all_of(plan.levelWrites.begin(), plan.levelWrites.end(),
                                    [&](const LevelByte& w) { return w.offset < *image; });
    if (inside) {
        plan.checksumOffset = *image - 1;
        plan.checksum = saved.checksumOver(*image);
    } else {
        plan.checksumOffset = saved.size() - 1;
        plan.checksum = static_cast<std::uint8_t>(saved.imageChecksum() & 0xFF);
    }
    keepDamageVisible(opened, plan);
    saved.set(plan.checksumOffset, plan.checksum);
}

// A voltage written into the table (general mode's, or one above the table's codes) can take away
// the entry another level asks for: a driver would drop that level. Such a save is refused.
std::optional<ValueFailure> dropsLevel(const ImageAnalysis& opened, const SavePlan& plan,
                                       const SaveEdits& edits) {
    const auto levelProblem = [](const StructureCheck& check) {
        return std::find_if(check.findings.begin(), check.findings.end(), [](const Finding& f) {
            return f.subject == Subject::LevelVoltages && f.severity == Severity::Problem;
        });
    };
    const auto now = levelProblem(plan.after.structureCheck);
    if (now == plan.after.structureCheck.findings.end() ||
        levelProblem(opened.structureCheck) != opened.structureCheck.findings.end())
        return std::nullopt;
    for (std::size_t m = 0; m < kVoltageModes.size(); ++m) {
        const int chosen = edits.selections[m];
        if (chosen < 0 || static_cast<std::size_t>(chosen) >= edits.offered.size()) continue;
        const std::int32_t voltage = edits.offered[static_cast<std::size_t>(chosen)].voltage;
        return ValueFailure{kVoltageModes[m], ValueFailure::Kind::DropsLevel,
                            voltsText(static_cast<std::uint8_t>(voltage & 0xFF)), 0, now->text};
    }
    return std::nullopt;
}

// Copies by value: "300 MHz at 2017h, 201Bh; 275 MHz at 201Fh".
std::string copiesText(const std::vector<PerfClock>& copies) {
    std::vector<std::pair<std::uint32_t, std::vector<std::int32_t>>> byValue;
    for (const PerfClock& copy : copies) {
        const auto same = std::find_if(byValue.begin(), byValue.end(),
                                       [&](const auto& group) { return group.first == copy.value; });
        if (same == byValue.end())
            byValue.push_back({copy.value, {copy.offset}});
        else
            same->second.push_back(copy.offset);
    }
    std::string text;
    for (const auto& [value, offsets] : byValue) {
        text += (text.empty() ? "" : "; ") + mhzText(value, true) + " at ";
        for (std::size_t i = 0; i < offsets.size(); ++i)
            text += (i == 0 ? "" : ", ") + hexOffset(offsets[i]);
    }
    return text;
}

// The copies of a written clock that belong to another memory configuration are said, with their
// values and places: the save leaves them as they are.
void noteCopiesLeft(const LevelPlaces& places, SavePlan& plan) {
    for (const LevelCopies& copies : places.clocks) {
        if (copies.left.empty()) continue;
        const bool written = std::any_of(plan.writes.begin(), plan.writes.end(),
                                         [&](const ByteWrite& w) { return w.field == copies.field; });
        if (!written) continue;
        const std::size_t n = copies.left.size();
        plan.notes.push_back(std::string(fieldInfo(copies.field).caption) + ": level " +
                             hexByte(copies.levelId) + " keeps " + std::to_string(n) +
                             (n == 1 ? " copy" : " copies") + " of another memory configuration as " +
                             (n == 1 ? "it was" : "they were") + ": " + copiesText(copies.left) + ".");
    }
}

} // namespace

SavePlanResult planSave(const ImageAnalysis& opened, const CardData& shown, const SaveEdits& edits) {
    SavePlan plan;
    if (shown.voltages.table)
        plan.writes = voltageWrites(*shown.voltages.table, edits.offered, edits.selections, opened.places);
    std::optional<ValueFailure> refused;
    if (edits.timingsEdited && shown.timings.timings) {
        const TableWrite timings = writeMemoryTimings(*shown.timings.timings, edits.texts);
        refused = timings.failure;
        append(plan.writes, timings.writes);
    }
    if (!refused) {
        const TableWrite clocks = writeClocks(shown.clocks, edits.texts);
        refused = clocks.failure;
        append(plan.writes, writesToEveryCopy(clocks.writes, opened.places));
    }
    if (!refused && !edits.levels.empty()) {
        if (!opened.levels)
            return {std::nullopt,
                    ValueFailure{CardField::Core3D,
                                 ValueFailure::Kind::LevelValue,
                                 {},
                                 0,
                                 "The image has no performance table whose levels could be changed.",
                                 edits.levels.begin()->first}};
        LevelWrite levels = writeLevels(*opened.levels, edits.levels);
        refused = levels.failure;
        plan.levelWrites = std::move(levels.writes);
    }
    if (refused) return {std::nullopt, refused};

    // The new image is built beside the opened one, which stays as it is until the file is written.
    BiosImage saved = opened.image;
    for (const ByteWrite& w : plan.writes)
        saved.set(w.offset, w.value);
    for (const LevelByte& w : plan.levelWrites)
        saved.set(w.offset, w.value);
    setChecksum(opened, plan, saved);
    plan.checksumChange.offset = std::max(plan.checksumOffset, 0);
    if (opened.image.contains(plan.checksumOffset, plan.checksumOffset)) {
        plan.checksumChange.before = opened.image.at(plan.checksumOffset);
        plan.checksumChange.after = plan.checksum;
    }
    // A save that changes no byte leaves the image as it was analysed already.
    plan.after = saved.bytes() == opened.image.bytes() ? opened : analyseImage(std::move(saved));
    plan.changes = compareValues(opened, plan.after);
    if (auto dropped = dropsLevel(opened, plan, edits)) return {std::nullopt, std::move(dropped)};
    noteCopiesLeft(opened.places, plan);
    if (opened.dumpDamage)
        plan.objections.push_back({SaveObjection::Kind::DamagedDump, kSaveDamagedDump, *opened.dumpDamage});
    if (writesIntoContradiction(plan.after.structureCheck, plan.writes))
        plan.objections.push_back({SaveObjection::Kind::Contradicted, kSaveDespiteStructure,
                                   plan.after.structureCheck.contradictions()});
    return {std::move(plan), std::nullopt};
}

std::string refusalText(const ValueFailure& failure) {
    if (failure.kind == ValueFailure::Kind::LevelValue) return failure.reason;
    const FieldInfo& info = fieldInfo(failure.field);
    const std::string name(info.caption);
    const std::string unit = info.unit.empty() ? std::string() : " " + std::string(info.unit);
    if (failure.kind == ValueFailure::Kind::DropsLevel)
        return name + " " + failure.text + " cannot be saved: " + failure.reason +
               " Choose a voltage the voltage table has.";
    if (failure.kind == ValueFailure::Kind::NotANumber)
        return name + " holds \"" + failure.text + "\", which is not a whole number" +
               (unit.empty() ? "" : " of MHz") + ".";
    return name + " is " + failure.text + "; it must be 0 to " + std::to_string(failure.maximum) + unit + ".";
}

} // namespace zfx
