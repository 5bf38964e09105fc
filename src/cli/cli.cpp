// SPDX-License-Identifier: MIT
#include "cli.h"
#include "commands.h"

#include "editor/editor_model.h"
#include "editor/settings.h"
#include "recording_host.h"
#include "text/number_text.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace zfx::cli {

namespace {

struct SetOptions {
    std::string file;
    std::string out;
    bool bin = false;
    bool json = false;
    bool noBackup = false;
    bool force = false;
    ValueRequest values;
};

// What set prints after the save: the state with the changes as JSON, or the saved file's name
// and one line for each change.
void printSaveResult(const SetOptions& o, const EditorModel& model, const RecordingHost& host,
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
        out << saved.text << " " << visibleText(model.form().Pfad) << "\n";
        for (const std::string& line : report->changeLines())
            out << "  " << line << "\n";
    }
}

// What set and apply ask of the window, after the image is open: the values of set's options,
// or of a settings file.
using EditRequest = std::function<std::optional<std::string>(EditorModel&, std::ostream& err)>;

// Opens the image, lets the request change the window's values, saves through the window's plan
// and reports it: the one way set and apply write an image.
int editAndSave(const SetOptions& o, const EditRequest& request, std::ostream& out, std::ostream& err) {
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
        err << visibleText(o.file) << ": " << visibleLines(*usage) << " Nothing was written.\n";
        return kExitUsage;
    }
    const Outcome saved = model.saveBios(o.out, o.bin ? kBinFilterEntry : kRomFilterEntry);
    const std::optional<SaveReport>& report = model.lastSave();
    const std::string target = EditorModel::savePathFor(o.out, o.bin ? kBinFilterEntry : kRomFilterEntry);
    if (saved.cause == OutcomeCause::Cancelled) {
        // Something spoke against the save and no --force overrode it: a refused save like any other.
        for (const std::string& refusal : host.refusals)
            err << visibleText(target) << ": " << kCantOpenFile << " " << visibleLines(refusal)
                << " Nothing was written; --force saves anyway.\n";
        if (o.json) out << jsonLine(stateJson(model, host)) << "\n";
        return kExitFailed;
    }
    if (!saved.ok()) reportFailure(err, target, saved);
    for (const std::string& warning : host.saveWarnings)
        err << visibleText(o.file) << ": Warning: " << visibleLines(warning) << "\n";
    if (report)
        for (const std::string& note : report->notes)
            err << visibleLines(note) << "\n"; // what the user should know about the saved file
    printSaveResult(o, model, host, saved, out);
    return exitCodeFor(saved);
}

int runSet(const SetOptions& o, std::ostream& out, std::ostream& err) {
    return editAndSave(
        o, [&](EditorModel& model, std::ostream&) { return applyRequest(model, o.values, optionOf); }, out,
        err);
}

// The settings file's text, or why it cannot be had.
struct SettingsFile {
    std::optional<Settings> settings;
    std::string error;
    int exitCode = kExitOk;
};

SettingsFile loadSettings(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    if (!in || in.bad())
        return {std::nullopt, visibleText(path) + ": " + kCantOpenFile + " " + std::strerror(errno),
                kExitFailed};
    SettingsRead read = readSettings(text.str());
    if (!read.settings) return {std::nullopt, visibleText(path) + ": " + read.error, kExitUsage};
    return {std::move(read.settings), {}, kExitOk};
}

int runApply(const std::string& settingsPath, const SetOptions& o, std::ostream& out, std::ostream& err) {
    const SettingsFile file = loadSettings(settingsPath);
    if (!file.settings) {
        err << file.error << " Nothing was written.\n";
        return file.exitCode;
    }
    const Settings& settings = *file.settings;
    bool otherCard = false;
    const int code = editAndSave(
        o,
        [&](EditorModel& model, std::ostream& warn) -> std::optional<std::string> {
            if (const std::optional<std::string> other = otherDevice(settings, model)) {
                if (!o.force) {
                    otherCard = true;
                    return *other + " --force applies them anyway.";
                }
                warn << visibleText(o.file) << ": Warning: " << visibleLines(*other) << "\n";
            }
            return applySettings(model, settings);
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

// The number of single-character edits between two words.
std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// For each option the parser does not know: the nearest known one, when one is near.
std::vector<std::string> suggestionsFor(const CLI::App& app, const std::vector<std::string>& args) {
    std::vector<std::string> known{"--help", "--version"};
    for (const CLI::App* command : app.get_subcommands({}))
        for (const CLI::Option* option : command->get_options())
            for (const std::string& name : option->get_lnames())
                known.push_back("--" + name);
    std::vector<std::string> suggestions;
    for (const std::string& arg : args) {
        if (!arg.starts_with("--")) continue;
        const std::string given = arg.substr(0, arg.find('='));
        if (std::find(known.begin(), known.end(), given) != known.end()) continue;
        const std::string* nearest = nullptr;
        std::size_t best = 0;
        for (const std::string& name : known) {
            const std::size_t distance = editDistance(given, name);
            if (!nearest || distance < best) {
                nearest = &name;
                best = distance;
            }
        }
        if (nearest && best <= std::max<std::size_t>(2, given.size() / 3))
            suggestions.push_back(given + " is not an option. Did you mean " + *nearest + "?");
    }
    return suggestions;
}

std::string tickHelp(Control box, const char* when) {
    return "Tick \"" + std::string(captionOf(box)) + "\" " + when;
}

} // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app{
        "Zorvane FX: read and edit the video BIOS images of GeForce FX, GeForce 6800 and Quadro FX cards.",
        "zorvane-fx-cli"};
    app.set_version_flag("--version", std::string("zorvane-fx-cli") + kVersionText);
    app.require_subcommand(1);

    std::vector<std::string> infoFiles;
    bool infoJson = false, infoGeneral = false, infoTimings = false;
    CLI::App* info = app.add_subcommand("info", "Show what the editor reads from each image.");
    info->add_flag("--json", infoJson, "One JSON object per file, one per line");
    info->add_flag(optionOf(Control::GeneralMode), infoGeneral,
                   tickHelp(Control::GeneralMode, "after the load"));
    info->add_flag(optionOf(Control::TimingEdit), infoTimings,
                   tickHelp(Control::TimingEdit, "after the load"));
    info->add_option("FILE", infoFiles, "ROM image files")->required();

    SetOptions set;
    CLI::App* setCommand =
        app.add_subcommand("set", "Change voltages, clocks and timings and save a new image.");
    setCommand->add_option("FILE", set.file, "ROM image to open")->required();
    setCommand->add_option("-o,--output", set.out, "File to save to (may be FILE itself)")->required();
    setCommand->add_flag("--bin", set.bin, "Append .bin instead of .rom when OUT has neither");
    setCommand->add_flag("--json", set.json,
                         "Print the editor's state and the changes after the save as JSON");
    setCommand->add_flag("--no-backup", set.noBackup,
                         "Do not keep the original as NAME.orig.rom when saving over the open file");
    setCommand->add_flag("--force", set.force,
                         "Save although the opened file is damaged (cut short, wrong checksum) or the BIOS "
                         "structure contradicts a table the save writes into");
    setCommand->add_flag(optionOf(Control::GeneralMode), set.values.generalMode,
                         tickHelp(Control::GeneralMode, "first"));
    setCommand->add_flag(optionOf(Control::TimingEdit), set.values.timings,
                         tickHelp(Control::TimingEdit, "first"));
    for (const Control combo : kVoltageLists)
        setCommand->add_option_function<std::string>(
            optionOf(combo), [&set, combo](const std::string& v) { set.values.voltages[combo] = v; },
            "Voltage entry: 1.5, 1.5V or #position");
    for (const Control box : kClockBoxesByMode)
        setCommand->add_option_function<std::string>(
            optionOf(box), [&set, box](const std::string& v) { set.values.boxes[box] = v; }, "Clock in MHz");
    for (const Control box : kTimingBoxes)
        setCommand->add_option_function<std::string>(
            optionOf(box), [&set, box](const std::string& v) { set.values.boxes[box] = v; },
            "Timing value 0..255");

    std::vector<std::string> verifyFiles;
    bool verifyJson = false;
    CLI::App* verify =
        app.add_subcommand("verify", "Check each image as a PCI option ROM before you flash it.");
    verify->add_flag("--json", verifyJson, "One JSON object per file, one per line");
    verify->add_option("FILE", verifyFiles, "ROM image files")->required();

    std::string diffBefore, diffAfter;
    bool diffJson = false;
    CLI::App* diff = app.add_subcommand("diff", "Compare two images value by value and byte by byte.");
    diff->add_flag("--json", diffJson, "One JSON object");
    diff->add_option("A", diffBefore, "The first image, the original")->required();
    diff->add_option("B", diffAfter, "The second image, the edited one")->required();

    std::string structureFile;
    bool structureJson = false;
    CLI::App* structure = app.add_subcommand(
        "structure", "Print the image's BMP or BIT structure and the tables it points to.");
    structure->add_flag("--json", structureJson, "One JSON object");
    structure->add_option("FILE", structureFile, "ROM image file")->required();

    std::string exportFile;
    CLI::App* exportCommand = app.add_subcommand(
        "export", "Print the image's editable values as a settings file (JSON) for apply.");
    exportCommand->add_option("FILE", exportFile, "ROM image file")->required();

    SetOptions apply;
    std::string applySettingsFile;
    CLI::App* applyCommand = app.add_subcommand(
        "apply", "Set the values of a settings file that export wrote and save a new image, as set does.");
    applyCommand->add_option("SETTINGS", applySettingsFile, "Settings file (JSON)")->required();
    applyCommand->add_option("FILE", apply.file, "ROM image to open")->required();
    applyCommand->add_option("-o,--output", apply.out, "File to save to (may be FILE itself)")->required();
    applyCommand->add_flag("--bin", apply.bin, "Append .bin instead of .rom when OUT has neither");
    applyCommand->add_flag("--json", apply.json,
                           "Print the editor's state and the changes after the save as JSON");
    applyCommand->add_flag("--no-backup", apply.noBackup,
                           "Do not keep the original as NAME.orig.rom when saving over the open file");
    applyCommand->add_flag("--force", apply.force,
                           "Apply settings made for another device, and save where set --force would");

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kExitOk;
    } catch (const CLI::CallForVersion&) {
        out << app.version() << "\n";
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        // The parser's message quotes the arguments, which may be file names.
        err << visibleLines(e.what()) << "\n";
        for (const std::string& suggestion : suggestionsFor(app, args))
            err << visibleText(suggestion) << "\n";
        err << "Run with --help for usage.\n";
        return kExitUsage;
    }
    if (*info) return runInfo(infoFiles, infoJson, infoGeneral, infoTimings, out, err);
    if (*verify) return runVerify(verifyFiles, verifyJson, out, err);
    if (*diff) return runDiff(diffBefore, diffAfter, diffJson, out, err);
    if (*structure) return runStructure(structureFile, structureJson, out, err);
    if (*exportCommand) return runExport(exportFile, out, err);
    if (*applyCommand) return runApply(applySettingsFile, apply, out, err);
    return runSet(set, out, err);
}

} // namespace zfx::cli
