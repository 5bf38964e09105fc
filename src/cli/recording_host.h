// SPDX-License-Identifier: MIT
#pragma once

#include "editor/editor_host.h"
#include "save/save_plan.h"
#include "text/number_text.h"

#include <string>
#include <string_view>
#include <vector>

namespace zfx::cli {

// A text for the terminal, and whether its line breaks are the editor's own: those of the
// structure's contradictions, one a line, are; any other may quote a file's name, and is one line.
struct TerminalText {
    std::string text;
    LineBreaks lineBreaks = LineBreaks::Escaped;
};

// A host without a display: it keeps every message and warning it is shown, in order, and
// answers no file dialog.
class RecordingHost final : public EditorHost {
  public:
    void showMessage(const Message& message) override { messages.push_back(message); }
    std::optional<std::string> chooseOpenPath() override { return std::nullopt; }
    std::optional<SaveChoice> chooseSavePath() override { return std::nullopt; }
    // A run opens one image once: nothing is ever unsaved when it asks.
    UnsavedChanges askToSaveChanges(const std::string&) override { return UnsavedChanges::Cancel; }
    // A script asked for the save: with force it goes on and what spoke against it is printed as a
    // warning; without, the save is refused and that is why.
    bool confirmSave(const std::string& question, const std::string& detail) override {
        const LineBreaks lineBreaks =
            question == std::string_view(kSaveDespiteStructure) ? LineBreaks::Kept : LineBreaks::Escaped;
        if (force)
            saveWarnings.push_back({question + (detail.empty() ? "" : " " + detail), lineBreaks});
        else
            refusals.push_back({detail.empty() ? question : detail, lineBreaks});
        return force;
    }
    // A script is told of values far from the file's, and the save goes on.
    bool confirmRiskyValues(const std::string&, const std::vector<std::string>& lines) override {
        for (const std::string& line : lines)
            saveWarnings.push_back({line});
        return true;
    }
    void showDialog(Dialog dialog) override {
        if (dialog == Dialog::Form3) warnings.emplace_back("general-mode");
        if (dialog == Dialog::Form4) warnings.emplace_back("memory-timings");
    }
    void closeMainWindow() override {}

    std::vector<Message> messages;
    std::vector<std::string> warnings;
    std::vector<TerminalText> saveWarnings;
    std::vector<TerminalText> refusals;
    bool force = false; // set --force: what speaks against a save does not stop it
};

} // namespace zfx::cli
