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
    // A script asked for the save: it goes on, and what spoke against it is printed.
    bool confirmSave(const std::string& question, const std::string& detail) override {
        saveWarnings.push_back(question + (detail.empty() ? "" : " " + detail));
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
};

} // namespace zfx::cli
