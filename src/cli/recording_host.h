// SPDX-License-Identifier: MIT
#pragma once

#include "editor/editor_host.h"

#include <string>
#include <vector>

namespace zfx::cli {

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
        const std::string why = detail.empty() ? question : detail;
        if (force)
            saveWarnings.push_back(question + (detail.empty() ? "" : " " + detail));
        else
            refusals.push_back(why);
        return force;
    }
    // A script is told of values far from the file's, and the save goes on.
    bool confirmRiskyValues(const std::string&, const std::vector<std::string>& lines) override {
        saveWarnings.insert(saveWarnings.end(), lines.begin(), lines.end());
        return true;
    }
    void showDialog(Dialog dialog) override {
        if (dialog == Dialog::Form3) warnings.emplace_back("general-mode");
        if (dialog == Dialog::Form4) warnings.emplace_back("memory-timings");
    }
    void closeMainWindow() override {}

    std::vector<Message> messages;
    std::vector<std::string> warnings;
    std::vector<std::string> saveWarnings;
    std::vector<std::string> refusals;
    bool force = false; // set --force: what speaks against a save does not stop it
};

} // namespace zfx::cli
