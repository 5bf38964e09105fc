// SPDX-License-Identifier: MIT
// zorvane-fx-cli info, set, export and apply: what the editor reads from an image, and the edits
// that save a new one.
#include "commands.h"

#include "editor/editor_model.h"
#include "editor/settings.h"
#include "recording_host.h"
#include "text/number_text.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zfx::cli {

namespace {

// What set and apply are told of the image and its save.
struct SaveOptions {
    std::string file;
    std::string out;
    bool bin = false;
    bool json = false;
    bool noBackup = false;
    bool force = false;
};

// What set prints after the save: the state with the changes as JSON, or the saved file's name
// and one line for each change.
void printSaveResult(const SaveOptions& o, const EditorModel& model, const RecordingHost& host,
                     const Outcome& saved, std::ostream& out) {
    const std::optional<SaveReport>& report = model.lastSave();
    if (o.json) {
        nlohmann::ordered_json state = stateJson(model, host);
        if (report) {
            state["changes"] = changesJson(report->changes);
            state["checksum"] = checksumJson(report->checksum);
            state["backup"] = report->backupPath.empty()
                                  ? nlohmann::ordered_json(nullptr)
                                  : nlohmann::ordered_json{{"path", report->backupPath},
                                                           {"created", report->backupCreated}};
        }
        out << jsonLine(state) << "\n";
    } else if (saved.ok()) {
        out << saved.text << " " << visibleText(model.form().filePath) << "\n";
        // The line of the kept original quotes its path.
        for (const std::string& line : report->changeLines())
            out << "  " << visibleText(line) << "\n";
    }
}

// What set and apply ask of the window, after the image is open: the values of set's options,
// or of a settings file.
using EditRequest = std::function<std::optional<std::string>(EditorModel&, std::ostream& err)>;

// The save dialog's file type that --bin chooses: .bin with it, .rom without.
int saveFilterOf(const SaveOptions& o) {
    return o.bin ? kBinFilterEntry : kRomFilterEntry;
}

// Saves the edited image through the window's plan and reports the save.
int saveAndReport(const SaveOptions& o, EditorModel& model, const RecordingHost& host, std::ostream& out,
                  std::ostream& err) {
    const Outcome saved = model.saveBios(o.out, saveFilterOf(o));
    // --output with the file type's extension where it has none, as the model saved to it.
    const std::string& target = model.lastSaveTarget();
    if (saved.cause == OutcomeCause::Cancelled) {
        // Something spoke against the save and no --force overrode it: a refused save like any other.
        for (const TerminalText& refusal : host.refusals)
            err << visibleText(target) << ": " << kCantOpenFile << " "
                << visibleText(refusal.text, refusal.lineBreaks)
                << " Nothing was written; --force saves anyway.\n";
        if (o.json) out << jsonLine(stateJson(model, host)) << "\n";
        return kExitFailed;
    }
    if (!saved.ok()) reportFailure(err, target, saved);
    for (const TerminalText& warning : host.saveWarnings)
        err << visibleText(o.file) << ": Warning: " << visibleText(warning.text, warning.lineBreaks) << "\n";
    if (const std::optional<SaveReport>& report = model.lastSave(); report)
        for (const std::string& note : report->notes)
            err << visibleText(note) << "\n"; // what the user should know about the saved file
    printSaveResult(o, model, host, saved, out);
    return exitCodeFor(saved);
}

// Opens the image, lets the request change the window's values, then saves and reports it: the one
// way set and apply write an image.
int editAndSave(const SaveOptions& o, const EditRequest& request, std::ostream& out, std::ostream& err) {
    if (o.out.empty()) {
        err << "--output: the file name is empty. Nothing was written.\n";
        return kExitUsage;
    }
    RecordingHost host;
    EditorModel model(host);
    model.setKeepBackups(!o.noBackup);
    host.force = o.force;
    const Outcome opened = model.openBios(o.file);
    if (!opened.ok()) {
        reportFailure(err, o.file, opened);
        if (o.json) out << jsonLine(stateJson(model, host)) << "\n";
        return exitCodeFor(opened);
    }
    if (const std::optional<std::string> usage = request(model, err)) {
        err << visibleText(o.file) << ": " << visibleText(*usage) << " Nothing was written.\n";
        return kExitUsage;
    }
    return saveAndReport(o, model, host, out, err);
}

int runSet(const SaveOptions& o, const ValueRequest& values, std::ostream& out, std::ostream& err) {
    return editAndSave(
        o, [&](EditorModel& model, std::ostream&) { return applyRequest(model, values, optionOf); }, out,
        err);
}

int runApply(const std::string& settingsPath, const SaveOptions& o, std::ostream& out, std::ostream& err) {
    const SettingsFileRead file = readSettingsFile(diskFiles(), settingsPath);
    if (!file.settings) {
        // The error is one sentence; it may quote the file's keys and values, which stay on its line.
        err << visibleText(settingsPath) << ": " << (file.unreadable ? std::string(kCantOpenFile) + " " : "")
            << visibleText(file.error) << " Nothing was written.\n";
        return file.unreadable ? kExitFailed : kExitUsage;
    }
    bool otherCard = false;
    // --force applies another card's settings and leaves out what this card lacks, each with a warning.
    const LackingValues lacking = o.force ? LackingValues::Skip : LackingValues::Refuse;
    const int code = editAndSave(
        o,
        [&](EditorModel& model, std::ostream& warn) -> std::optional<std::string> {
            auto warning = [&](const std::string& text) {
                warn << visibleText(o.file) << ": Warning: " << visibleText(text) << "\n";
            };
            const SettingsApplied applied = applySettingsFile(
                model, *file.settings,
                [&](const std::string& why) {
                    if (o.force) warning(why);
                    return o.force;
                },
                lacking);
            otherCard = applied.declined;
            if (applied.declined) return *applied.otherCard + " --force applies them anyway.";
            if (!applied.refused)
                for (const std::string& key : applied.skipped)
                    warning(key + ": this card does not have the value, so it was left out.");
            return applied.refused;
        },
        out, err);
    // Another card's values are refused like a save the structure speaks against.
    return otherCard ? kExitFailed : code;
}

int runExport(const std::string& file, std::ostream& out, std::ostream& err) {
    RecordingHost host;
    EditorModel model(host);
    const Outcome opened = model.openBios(file);
    if (!opened.ok()) {
        reportFailure(err, file, opened);
        return exitCodeFor(opened);
    }
    // The timings are part of the values an image holds; the window shows them when ticked.
    model.setChecked(Control::TimingEdit, true);
    out << settingsText(settingsShown(model));
    return kExitOk;
}

int runInfo(const std::vector<std::string>& files, bool json, bool generalMode, bool timings,
            std::ostream& out, std::ostream& err) {
    int exitCode = kExitOk;
    for (const std::string& file : files) {
        RecordingHost host;
        EditorModel model(host);
        const Outcome opened = model.openBios(file);
        if (opened.ok()) {
            if (generalMode) model.setChecked(Control::GeneralMode, true);
            if (timings) model.setChecked(Control::TimingEdit, true);
        } else {
            exitCode = exitCodeFor(opened);
            reportFailure(err, file, opened);
        }
        if (json) {
            out << jsonLine(stateJson(model, host)) << "\n";
        } else {
            if (&file != &files.front()) out << "\n";
            printSummary(out, model, host);
        }
    }
    return exitCode;
}

std::string tickHelp(Control box, const char* when) {
    return "Tick \"" + std::string(captionOf(box)) + "\" " + when;
}

// The options set and apply share, in the order their help lists them: the image, where it is
// saved and how. Only what --force overrides differs between the two.
void addSaveOptions(CLI::App& command, SaveOptions& o, const std::string& forceHelp) {
    command.add_option("FILE", o.file, "ROM image to open")->required();
    command.add_option("-o,--output", o.out, "File to save to (may be FILE itself)")->required();
    command.add_flag("--bin", o.bin, "Append .bin instead of .rom when OUT has neither");
    command.add_flag("--json", o.json, "Print the editor's state and the changes after the save as JSON");
    command.add_flag("--no-backup", o.noBackup,
                     "Do not keep the original as NAME.orig.rom when saving over the open file");
    command.add_flag("--force", o.force, forceHelp);
}

// set's values: the two ticks, a voltage for each list, a clock or a timing for each box.
void addValueOptions(CLI::App& command, ValueRequest& values) {
    command.add_flag(optionOf(Control::GeneralMode), values.generalMode,
                     tickHelp(Control::GeneralMode, "first"));
    command.add_flag(optionOf(Control::TimingEdit), values.timings, tickHelp(Control::TimingEdit, "first"));
    for (const Control combo : kVoltageLists)
        command.add_option_function<std::string>(
            optionOf(combo), [&values, combo](const std::string& v) { values.voltages[combo] = v; },
            "Voltage entry: 1.5, 1.5V or #position");
    for (const Control box : kClockBoxesByMode)
        command.add_option_function<std::string>(
            optionOf(box), [&values, box](const std::string& v) { values.boxes[box] = v; }, "Clock in MHz");
    for (const Control box : kTimingBoxes)
        command.add_option_function<std::string>(
            optionOf(box), [&values, box](const std::string& v) { values.boxes[box] = v; },
            "Timing value 0..255");
    command
        .add_option("--level",
                    "A performance level's value, ID:FIELD=VALUE (80h:core=350, 80h:memory=275, "
                    "80h:memory.3=275, 80h:voltage=1.44, 80h:fan=60); repeatable, applied in order")
        ->type_name("ID:FIELD=VALUE")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

// The values as the command line gives them, in its order: the performance levels' values, and
// every box or list given after the first of them, follow the window's values in that order, so that
// the later of two values for one thing wins (--core-3d 350 --level 80h:core=360 gives 360).
void orderValues(const CLI::App& command, ValueRequest& values) {
    std::map<const CLI::Option*, std::size_t> seen;
    bool afterLevel = false;
    for (const CLI::Option* option : command.parse_order()) {
        const std::size_t occurrence = seen[option]++;
        const CLI::results_t& results = option->results();
        if (results.empty()) continue; // a flag
        const std::string& given = results[std::min(occurrence, results.size() - 1)];
        if (option->get_name() == "--level") {
            afterLevel = true;
            const std::size_t equals = given.find('=');
            const std::string cell = equals == std::string::npos ? std::string() : given.substr(0, equals);
            values.ordered.push_back({"--level " + given, std::nullopt, cell,
                                      equals == std::string::npos ? given : given.substr(equals + 1)});
            continue;
        }
        if (!afterLevel) continue; // the window's values hold it
        const auto control = std::find_if(kControls.begin(), kControls.end(), [&](const ControlInfo& info) {
            return info.cliOption == option->get_name() && info.kind != ControlKind::CheckBox;
        });
        if (control != kControls.end())
            values.ordered.push_back({optionOf(control->control), control->control, {}, given});
    }
}

} // namespace

// The options live beside the command that reads them: the parser writes into them, the command
// runs with what it wrote.

Command addInfo(CLI::App& command) {
    struct Options {
        std::vector<std::string> files;
        bool json = false;
        bool generalMode = false;
        bool timings = false;
    };
    auto o = std::make_shared<Options>();
    command.add_flag("--json", o->json, "One JSON object per file, one per line");
    command.add_flag(optionOf(Control::GeneralMode), o->generalMode,
                     tickHelp(Control::GeneralMode, "after the load"));
    command.add_flag(optionOf(Control::TimingEdit), o->timings,
                     tickHelp(Control::TimingEdit, "after the load"));
    command.add_option("FILE", o->files, "ROM image files")->required();
    return [o](std::ostream& out, std::ostream& err) {
        return runInfo(o->files, o->json, o->generalMode, o->timings, out, err);
    };
}

Command addSet(CLI::App& command) {
    struct Options {
        SaveOptions save;
        ValueRequest values;
    };
    auto o = std::make_shared<Options>();
    addSaveOptions(command, o->save,
                   "Save although the opened file is damaged (cut short, wrong checksum) or the BIOS "
                   "structure contradicts a table the save writes into");
    addValueOptions(command, o->values);
    return [o, &command](std::ostream& out, std::ostream& err) {
        orderValues(command, o->values);
        return runSet(o->save, o->values, out, err);
    };
}

Command addExport(CLI::App& command) {
    auto file = std::make_shared<std::string>();
    command.add_option("FILE", *file, "ROM image file")->required();
    return [file](std::ostream& out, std::ostream& err) { return runExport(*file, out, err); };
}

Command addApply(CLI::App& command) {
    struct Options {
        std::string settingsFile;
        SaveOptions save;
    };
    auto o = std::make_shared<Options>();
    command.add_option("SETTINGS", o->settingsFile, "Settings file (JSON)")->required();
    addSaveOptions(
        command, o->save,
        "Apply settings made for another device, leave out the values this card lacks, and save where "
        "set --force would");
    return [o](std::ostream& out, std::ostream& err) { return runApply(o->settingsFile, o->save, out, err); };
}

} // namespace zfx::cli
