// SPDX-License-Identifier: MIT
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "editor/editor_state.h"

#include <nlohmann/json_fwd.hpp>

namespace zfx {
class EditorModel;
struct CardIdentity;
struct ChecksumChange;
struct FieldChange;
struct ImageCheck;
struct OptionRomChain;
struct RomStructure;
struct StructureCheck;
} // namespace zfx

namespace zfx::cli {

class RecordingHost;

// Exit codes of zorvane-fx-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1; // a file could not be read, or the save failed
inline constexpr int kExitUsage = 2;

// Runs zorvane-fx-cli with args (without the program name), printing to out and err.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The editor's state as the info contract gives it, with the messages and warnings the host kept.
nlohmann::ordered_json stateJson(const EditorModel& model, const RecordingHost& host);
// A list of changed values, a checksum byte and an image check, as set, diff and verify give them.
nlohmann::ordered_json changesJson(const std::vector<FieldChange>& changes);
nlohmann::ordered_json checksumJson(const ChecksumChange& checksum);
nlohmann::ordered_json imageCheckJson(const ImageCheck& check, const OptionRomChain& chain);
nlohmann::ordered_json structureCheckJson(const StructureCheck& check);
nlohmann::ordered_json romStructureJson(const RomStructure& structure);

// zorvane-fx-cli verify and diff.
int runVerify(const std::vector<std::string>& files, bool json, std::ostream& out, std::ostream& err);
int runDiff(const std::string& before, const std::string& after, bool json, std::ostream& out,
            std::ostream& err);
// zorvane-fx-cli structure: the whole decode of the image's BMP or BIT structure, and the check.
int runStructure(const std::string& file, bool json, std::ostream& out, std::ostream& err);

} // namespace zfx::cli
