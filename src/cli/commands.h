// SPDX-License-Identifier: MIT
// The subcommands of zorvane-fx-cli and what they share: how each is added to the parser, and the
// lines every subcommand writes about a file.
#pragma once

#include "cli.h"
#include "editor/window_controls.h"
#include "io/outcome.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace CLI {
class App;
} // namespace CLI

namespace zfx::cli {

// How a subcommand runs, with the options the parser has read into it.
using Command = std::function<int(std::ostream& out, std::ostream& err)>;

// Each adds its options to its subcommand of the parser and gives back how it runs.
Command addInfo(CLI::App& command);
Command addSet(CLI::App& command);
Command addVerify(CLI::App& command);
Command addDiff(CLI::App& command);
Command addStructure(CLI::App& command);
Command addExport(CLI::App& command);
Command addApply(CLI::App& command);

// One line that names the file: "card.rom: Cant open File! No such file or directory".
void reportFailure(std::ostream& err, const std::string& file, const Outcome& outcome);

inline int exitCodeFor(const Outcome& outcome) {
    return outcome.ok() ? kExitOk : kExitFailed;
}

// The option that sets a control; set's refusals name a control by it.
inline std::string optionOf(Control control) {
    return std::string(controlInfo(control).cliOption);
}

// info's text: what the editor shows of the open image, and the messages it gave.
void printSummary(std::ostream& out, const EditorModel& model, const RecordingHost& host);

} // namespace zfx::cli
