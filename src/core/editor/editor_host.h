// SPDX-License-Identifier: MIT
#pragma once

#include "save/save_to_file.h"

#include <optional>
#include <string>
#include <vector>

namespace zfx {

// The secondary windows: help, About, and the two warnings.
enum class Dialog { Form1, Form2, Form3, Form4 };

// A modal message box with an OK button. text is the system's own; detail, when set, is the
// cause shown as the box's informative text. isError marks the default report of an unhandled
// conversion failure.
struct Message {
    std::string text;
    std::string detail;
    bool isError = false;
};

// The filter list of both file dialogs, entry 1 ".bin" and entry 2 ".rom".
inline constexpr const char* kBiosFileFilter =
    "Nvidia BIOS Files (.bin)|*.bin|Nvidia BIOS Files (.rom)|*.rom";
inline constexpr int kBinFilterEntry = 1;
inline constexpr int kRomFilterEntry = 2;

// The answers to "Save the changes to card.rom?".
enum class UnsavedChanges { Save, Discard, Cancel };

struct SaveChoice {
    std::string path;
    int filterEntry = kRomFilterEntry;
};

// What the editor asks of its front end: message boxes, file dialogs, the secondary windows.
// The GUI answers with real widgets, the CLI and the tests with scripted answers.
class EditorHost {
  public:
    virtual ~EditorHost() = default;
    virtual void showMessage(const Message& message) = 0;
    virtual std::optional<std::string> chooseOpenPath() = 0;
    virtual std::optional<SaveChoice> chooseSavePath() = 0;
    // Asks what to do with edits not yet saved before they would be lost.
    virtual UnsavedChanges askToSaveChanges(const std::string& question) = 0;
    // Asks whether to save although something speaks against it (detail: what); true saves.
    virtual bool confirmSave(const std::string& question, const std::string& detail) = 0;
    // Asks whether to save values far from what the file holds, one line each; true saves. A
    // front end that does not say more asks it as any other question before a save.
    virtual bool confirmRiskyValues(const std::string& question, const std::vector<std::string>& lines) {
        std::string detail;
        for (const std::string& line : lines)
            detail += (detail.empty() ? "" : "\n") + line;
        return confirmSave(question, detail);
    }
    // A save wrote path: report says what it changed. The outcome's message follows.
    virtual void saved(const std::string& path, const SaveReport& report) {
        (void)path;
        (void)report;
    }
    // Shows a secondary window without waiting for it.
    virtual void showDialog(Dialog dialog) = 0;
    virtual void closeMainWindow() = 0;
};

// A host without a user: it shows nothing, answers every dialog with Cancel and lets a save go on
// (benchmarks, fuzzing, batch runs).
class SilentHost final : public EditorHost {
  public:
    void showMessage(const Message&) override {}
    std::optional<std::string> chooseOpenPath() override { return std::nullopt; }
    std::optional<SaveChoice> chooseSavePath() override { return std::nullopt; }
    UnsavedChanges askToSaveChanges(const std::string&) override { return UnsavedChanges::Cancel; }
    bool confirmSave(const std::string&, const std::string&) override { return true; }
    void showDialog(Dialog) override {}
    void closeMainWindow() override {}
};

} // namespace zfx
