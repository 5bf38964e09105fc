// SPDX-License-Identifier: MIT
#include "save/save_to_file.h"

#include "text/number_text.h"

namespace zfx {

std::vector<std::string> SaveReport::lines() const {
    std::vector<std::string> all = changeLines();
    all.insert(all.end(), notes.begin(), notes.end());
    return all;
}

std::vector<std::string> SaveReport::changeLines() const {
    std::vector<std::string> lines;
    for (const FieldChange& change : changes)
        lines.push_back(changeLine(change));
    if (!changes.empty())
        lines.push_back(checksum.changed()
                            ? checksumLine(checksum)
                            : "The checksum byte at " + hexOffset(checksum.offset) + " stays as it was.");
    else if (checksum.changed())
        lines.push_back("No value changed; only the checksum byte was set (" + checksumLine(checksum) + ").");
    else
        lines.push_back("The file is identical to the image you opened.");
    if (!backupPath.empty())
        lines.push_back(backupCreated ? "The original is kept as " + backupPath + "."
                                      : "The original was kept before as " + backupPath +
                                            "; that copy stays as it is.");
    return lines;
}

SaveDone saveToFile(const SavePlan& plan, ImageFiles& files, const SaveTarget& target) {
    SaveReport report;
    const std::string& path = target.path;
    if (!target.backupPath.empty()) {
        report.backupPath = target.backupPath;
        const KeepResult kept = files.keepCopy(path, report.backupPath);
        if (!kept.ok())
            return {{OutcomeCause::WriteFailed, kCantOpenFile, kept.error + " Nothing was saved."}, {}};
        report.backupCreated = kept.created;
    }
    const WriteResult written = files.write(path, plan.after.image.bytes(), target.expected);
    if (!written.ok()) {
        std::string detail = written.error;
        for (const std::string& note : written.notes)
            detail += " " + note;
        // The file is as it was: a copy of it made for this save is no original to keep.
        if (report.backupCreated && !files.removeKeptCopy(report.backupPath))
            detail += " The copy of the original made for it is left as " + report.backupPath + ".";
        return {{OutcomeCause::WriteFailed, kCantOpenFile, detail}, {}};
    }
    report.changes = plan.changes;
    report.checksum = plan.checksumChange;
    report.notes = plan.notes;
    report.notes.insert(report.notes.end(), written.notes.begin(), written.notes.end());
    std::string detail;
    for (const std::string& line : report.lines())
        detail += (detail.empty() ? "" : "\n") + line;
    return {{OutcomeCause::Done, kFileSaved, detail}, std::move(report)};
}

} // namespace zfx
