// SPDX-License-Identifier: MIT
// zorvane-fx-cli: the subcommands, the parse of the arguments and what a wrong one is told.
#include "cli.h"
#include "commands.h"

#include "editor/editor_model.h"
#include "text/number_text.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace zfx::cli {

namespace {

struct Subcommand {
    const char* name;
    const char* description;
    Command (*add)(CLI::App& command);
};

// The subcommands, in the order --help lists them.
constexpr std::array<Subcommand, 7> kSubcommands{{
    {"info", "Show what the editor reads from each image.", addInfo},
    {"set", "Change voltages, clocks and timings and save a new image.", addSet},
    {"verify", "Check each image as a PCI option ROM before you flash it.", addVerify},
    {"diff", "Compare two images value by value and byte by byte.", addDiff},
    {"structure", "Print the image's BMP or BIT structure and the tables it points to.", addStructure},
    {"export", "Print the image's editable values as a settings file (JSON) for apply.", addExport},
    {"apply", "Set the values of a settings file that export wrote and save a new image, as set does.",
     addApply},
}};

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

// Reads the arguments into the options. Gives the exit code where that ends the run already: help
// and the version are printed, a wrong argument is told why and what was meant.
std::optional<int> parse(CLI::App& app, const std::vector<std::string>& args, std::ostream& out,
                         std::ostream& err) {
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
        // The parser's message quotes the arguments, which may be file names: one line, escaped.
        err << visibleText(e.what()) << "\n";
        for (const std::string& suggestion : suggestionsFor(app, args))
            err << visibleText(suggestion) << "\n";
        err << "Run with --help for usage.\n";
        return kExitUsage;
    }
    return std::nullopt;
}

} // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    // Each subcommand beside how it runs; made before the parser, so that the options it writes
    // into outlive it.
    std::vector<std::pair<const CLI::App*, Command>> commands;
    CLI::App app{
        "Zorvane FX: read and edit the video BIOS images of GeForce FX, GeForce 6800 and Quadro FX cards.",
        "zorvane-fx-cli"};
    app.set_version_flag("--version", std::string("zorvane-fx-cli") + kVersionText);
    app.require_subcommand(1);
    for (const Subcommand& subcommand : kSubcommands) {
        CLI::App* command = app.add_subcommand(subcommand.name, subcommand.description);
        commands.emplace_back(command, subcommand.add(*command));
    }
    if (const std::optional<int> code = parse(app, args, out, err)) return *code;
    for (const auto& [command, runCommand] : commands)
        if (*command) return runCommand(out, err);
    return kExitUsage; // not reached: the parser lets no run through without its one subcommand
}

} // namespace zfx::cli
