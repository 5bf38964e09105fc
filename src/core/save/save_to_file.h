// SPDX-License-Identifier: MIT
#pragma once

#include "analysis/image_comparison.h"
#include "io/file_io.h"
#include "io/outcome.h"
#include "save/save_plan.h"

#include <optional>
#include <string>
#include <vector>

namespace zfx {

// What a successful save changed, and where the original was kept.
struct SaveReport {
    std::vector<FieldChange> changes; // every value whose bytes the save changed
    ChecksumChange checksum;
    std::string backupPath;         // the original's copy beside the file, empty when none was due
    bool backupCreated = false;     // false: a copy was there already and stays as it was
    std::vector<std::string> notes; // what the file layer adds for the user
    // "3D core clock: 475 -> 500 MHz at 7A31h", ..., the checksum byte, and where the backup is.
    std::vector<std::string> changeLines() const;
    // The same, then the notes.
    std::vector<std::string> lines() const;
};

// How carrying out a save ended: the outcome to show, and on success what it changed.
struct SaveDone {
    Outcome outcome;
    std::optional<SaveReport> report;
};

// Where a save goes: the file, where its original is kept first (a save over the opened file;
// empty: nowhere), and what the file should hold until it is replaced, where the caller knows it.
struct SaveTarget {
    std::string path;
    std::string backupPath;
    const std::vector<std::uint8_t>* expected = nullptr;
};

// Carries out a plan: keeps the original first where the target says, then writes the plan's
// image in one atomic step, and reports the changes the plan lists. A failure leaves every file as
// it was: a copy of the original made for it is removed again.
SaveDone saveToFile(const SavePlan& plan, ImageFiles& files, const SaveTarget& target);

} // namespace zfx
