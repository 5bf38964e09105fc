// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace zfx {
class EditorModel;
}

namespace zfx::cli {

class RecordingHost;

// Exit codes of zorvane-fx-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1; // a file could not be read, or the save failed
inline constexpr int kExitUsage = 2;

// Runs zorvane-fx-cli with args (without the program name), printing to out and err.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The editor's state as the info contract gives it.
nlohmann::ordered_json stateJson(const EditorModel& model, const RecordingHost& host);

} // namespace zfx::cli
