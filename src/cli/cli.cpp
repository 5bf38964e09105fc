// SPDX-License-Identifier: MIT
#include "cli.h"

#include "editor_model.h"
#include "recording_host.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cmath>
#include <map>
#include <optional>
#include <ostream>

namespace zfx::cli {

namespace {

// A usage error found after the image was opened: nothing is written.
struct UsageError {
    std::string text;
};

void printSummary(std::ostream& out, const EditorModel& model, const RecordingHost& host) {
    const FormState& f = model.form();
    auto list = [](const ComboBox& combo) {
        if (combo.entries.empty()) return std::string("-");
        std::string text;
        for (std::size_t i = 0; i < combo.entries.size(); ++i) {
            const bool chosen = static_cast<int>(i) == combo.selected;
            text += (i ? " " : "") + (chosen ? "[" + combo.entries[i] + "]" : combo.entries[i]);
        }
        return text;
    };
    auto clocks = [&](int core, int memory, const std::string& rate) {
        return "core " + f.edit(core).text + ", memory " + f.edit(memory).text + " " + rate;
    };
    out << "File:          " << f.Pfad << "\n"
        << "Device:        " << f.devicename << " (" << model.card().deviceText << ")\n"
        << "BIOS version:  " << f.Biosversion << "\n"
        << "Vendor:        " << f.manufactor << "\n"
        << "Voltages:      2D " << list(f.combo(1)) << " | Thrtl. " << list(f.combo(2)) << " | 3D "
        << list(f.combo(3)) << "\n"
        << "Clocks 3D:     " << clocks(3, 6, f.StaticText20) << "\n"
        << "Clocks Thrtl.: " << clocks(2, 5, f.StaticText21) << "\n"
        << "Clocks 2D:     " << clocks(1, 4, f.StaticText22) << "\n";
    if (f.edit(7).enabled || f.edit(8).enabled) {
        out << "Timings:       A " << f.edit(7).text;
        for (int n = 8; n <= 12; ++n)
            out << ", " << static_cast<char>('B' + n - 8) << " " << f.edit(n).text;
        out << "\n";
    }
    for (const Message& message : host.messages)
        out << "Message:       " << message.text << "\n";
}

void reportFailures(std::ostream& err, const RecordingHost& host) {
    for (const Message& message : host.messages)
        if (message.text == kCantOpenFile)
            err << kCantOpenFile << (message.detail.empty() ? "" : " " + message.detail) << "\n";
}

// Voltage texts compared as hundredths of a volt, so "1.50" finds "1.5V".
std::optional<long> hundredthsOfVolt(std::string text) {
    if (!text.empty() && (text.back() == 'V' || text.back() == 'v')) text.pop_back();
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
    try {
        std::size_t used = 0;
        const double volts = std::stod(text, &used);
        if (used != text.size()) return std::nullopt;
        return std::lround(volts * 100);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<UsageError> chooseVoltage(EditorModel& model, int combo, const std::string& option,
                                        const std::string& wanted) {
    const ComboBox& list = model.form().combo(combo);
    if (!list.enabled) return UsageError{option + ": the list is not available for this card."};
    int position = -1;
    if (!wanted.empty() && wanted[0] == '#') {
        try {
            std::size_t used = 0;
            position = std::stoi(wanted.substr(1), &used);
            if (used + 1 != wanted.size()) position = -1;
        } catch (const std::exception&) {
            position = -1;
        }
        if (position < 0 || position >= static_cast<int>(list.entries.size()))
            return UsageError{option + ": the list has no position " + wanted.substr(1) + "."};
    } else {
        const auto target = hundredthsOfVolt(wanted);
        for (std::size_t i = 0; i < list.entries.size() && position < 0; ++i) {
            const std::string& entry = list.entries[i];
            if (entry == wanted || entry == wanted + "V" || (target && hundredthsOfVolt(entry) == target))
                position = static_cast<int>(i);
        }
        if (position < 0) {
            std::string offered;
            for (const auto& entry : list.entries)
                offered += (offered.empty() ? "" : ", ") + entry;
            return UsageError{option + ": no entry " + wanted + " (the list offers " +
                              (offered.empty() ? "nothing" : offered) + ")."};
        }
    }
    model.selectEntry(combo, position);
    return std::nullopt;
}

std::optional<UsageError> typeIntoBox(EditorModel& model, int edit, const std::string& option,
                                      const std::string& value) {
    if (value.find_first_not_of("0123456789") != std::string::npos)
        return UsageError{option + ": \"" + value + "\" is not a number (the box takes digits only)."};
    if (!model.form().edit(edit).enabled)
        return UsageError{option + ": the box is not available for this card."};
    model.typeText(edit, value);
    model.keyReleased(edit);
    return std::nullopt;
}

struct SetOptions {
    std::string file;
    std::string out;
    bool bin = false;
    bool json = false;
    bool generalMode = false;
    bool timings = false;
    std::map<int, std::string> voltages; // list number -> wanted entry
    std::map<int, std::string> boxes;    // edit box number -> text
};

int runSet(const SetOptions& o, std::ostream& out, std::ostream& err) {
    RecordingHost host;
    EditorModel model(host);
    if (!model.openBios(o.file)) {
        reportFailures(err, host);
        if (o.json) out << stateJson(model, host).dump() << "\n";
        return kExitFailed;
    }
    const bool anyTiming =
        std::any_of(o.boxes.begin(), o.boxes.end(), [](const auto& box) { return box.first >= 7; });
    std::optional<UsageError> usage;
    if (o.generalMode) {
        if (!model.form().check(1).enabled)
            usage = UsageError{"--general-mode: Generalmode is not available for this card."};
        else
            model.setChecked(1, true);
    }
    if (!usage && (o.timings || anyTiming)) {
        if (!model.form().check(2).enabled)
            usage = UsageError{"--timings: Edit memory timings is not available for this card."};
        else
            model.setChecked(2, true);
    }
    static const std::map<int, std::string> voltageOptions{
        {1, "--voltage-2d"}, {2, "--voltage-throttle"}, {3, "--voltage-3d"}};
    for (const auto& [combo, wanted] : o.voltages)
        if (!usage) usage = chooseVoltage(model, combo, voltageOptions.at(combo), wanted);
    static const std::map<int, std::string> boxOptions{
        {1, "--core-2d"},  {4, "--mem-2d"},    {2, "--core-throttle"}, {5, "--mem-throttle"},
        {3, "--core-3d"},  {6, "--mem-3d"},    {7, "--timing-a"},      {8, "--timing-b"},
        {9, "--timing-c"}, {10, "--timing-d"}, {11, "--timing-e"},     {12, "--timing-f"}};
    for (const auto& [edit, value] : o.boxes)
        if (!usage) usage = typeIntoBox(model, edit, boxOptions.at(edit), value);
    if (usage) {
        err << usage->text << " Nothing was written.\n";
        return kExitUsage;
    }
    const bool saved = model.saveBios(o.out, o.bin ? kBinFilterEntry : kRomFilterEntry);
    if (!saved) reportFailures(err, host);
    if (o.json)
        out << stateJson(model, host).dump() << "\n";
    else if (saved)
        out << kFileSaved << " " << model.form().Pfad << "\n";
    return saved ? kExitOk : kExitFailed;
}

int runInfo(const std::vector<std::string>& files, bool json, bool generalMode, bool timings,
            std::ostream& out, std::ostream& err) {
    int exitCode = kExitOk;
    for (const std::string& file : files) {
        RecordingHost host;
        EditorModel model(host);
        if (model.openBios(file)) {
            if (generalMode) model.setChecked(1, true);
            if (timings) model.setChecked(2, true);
        } else {
            exitCode = kExitFailed;
            reportFailures(err, host);
        }
        if (json) {
            out << stateJson(model, host).dump() << "\n";
        } else {
            if (&file != &files.front()) out << "\n";
            printSummary(out, model, host);
        }
    }
    return exitCode;
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
    info->add_flag("--general-mode", infoGeneral, "Tick \"Generalmode\" after the load");
    info->add_flag("--timings", infoTimings, "Tick \"Edit memory timings\" after the load");
    info->add_option("FILE", infoFiles, "ROM image files")->required();

    SetOptions set;
    CLI::App* setCommand =
        app.add_subcommand("set", "Change voltages, clocks and timings and save a new image.");
    setCommand->add_option("FILE", set.file, "ROM image to open")->required();
    setCommand->add_option("-o,--output", set.out, "File to save to (may be FILE itself)")->required();
    setCommand->add_flag("--bin", set.bin, "Append .bin instead of .rom when OUT has neither");
    setCommand->add_flag("--json", set.json, "Print the editor's state after the save as JSON");
    setCommand->add_flag("--general-mode", set.generalMode, "Tick \"Generalmode\" first");
    setCommand->add_flag("--timings", set.timings, "Tick \"Edit memory timings\" first");
    const std::vector<std::pair<int, std::string>> voltageNames{
        {1, "--voltage-2d"}, {2, "--voltage-throttle"}, {3, "--voltage-3d"}};
    for (const auto& [combo, name] : voltageNames)
        setCommand->add_option_function<std::string>(
            name, [&set, combo = combo](const std::string& v) { set.voltages[combo] = v; },
            "Voltage entry: 1.5, 1.5V or #position");
    const std::vector<std::pair<int, std::string>> boxNames{
        {1, "--core-2d"},  {4, "--mem-2d"},    {2, "--core-throttle"}, {5, "--mem-throttle"},
        {3, "--core-3d"},  {6, "--mem-3d"},    {7, "--timing-a"},      {8, "--timing-b"},
        {9, "--timing-c"}, {10, "--timing-d"}, {11, "--timing-e"},     {12, "--timing-f"}};
    for (const auto& [edit, name] : boxNames)
        setCommand->add_option_function<std::string>(
            name, [&set, edit = edit](const std::string& v) { set.boxes[edit] = v; },
            edit <= 6 ? "Clock in MHz" : "Timing value 0..255");

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
        err << e.what() << "\n"
            << "Run with --help for usage.\n";
        return kExitUsage;
    }
    if (*info) return runInfo(infoFiles, infoJson, infoGeneral, infoTimings, out, err);
    return runSet(set, out, err);
}

} // namespace zfx::cli
