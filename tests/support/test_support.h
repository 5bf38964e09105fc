// SPDX-License-Identifier: MIT
#pragma once

#include "editor/editor_host.h"
#include "editor/editor_model.h"
#include "image_builder.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

namespace zfx::test {

// A host that records what the editor shows and answers file dialogs from a script.
class ScriptedHost final : public EditorHost {
  public:
    void showMessage(const Message& message) override { messages.push_back(message); }
    std::optional<std::string> chooseOpenPath() override;
    std::optional<SaveChoice> chooseSavePath() override;
    UnsavedChanges askToSaveChanges(const std::string& question) override;
    bool confirmSave(const std::string& question, const std::string& detail) override;
    void showDialog(Dialog dialog) override { dialogs.push_back(dialog); }
    void closeMainWindow() override { closed = true; }
    void saved(const std::string& path, const SaveReport& report) override {
        savedFiles.emplace_back(path, report.lines());
    }

    std::vector<std::string> messageTexts() const;
    void clear() {
        messages.clear();
        dialogs.clear();
    }

    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<SaveChoice>> saveAnswers;
    std::deque<UnsavedChanges> unsavedAnswers; // none left: Cancel
    std::deque<bool> saveAnyway;               // none left: save
    std::vector<std::pair<std::string, std::string>> saveQuestions;
    std::vector<std::string> questions;
    std::vector<Message> messages;
    std::vector<Dialog> dialogs;
    std::vector<std::pair<std::string, std::vector<std::string>>> savedFiles; // path, report lines
    bool closed = false;
};

// A folder of its own for one test, removed afterwards.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path file(const std::string& name) const { return m_path / name; }

  private:
    std::filesystem::path m_path;
};

void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> readBytes(const std::filesystem::path& path);
const std::vector<std::uint8_t>& sampleBytes(const std::string& fileName);
// The sample with its BMP or BIT structure wiped and its checksum kept correct: what the editor
// reads and writes is then the byte patterns' alone.
std::vector<std::uint8_t> sampleWithoutStructure(const std::string& name);
// The file names of all samples, and of those of a supported device.
std::vector<std::string> sampleNames();
std::vector<std::string> supportedSampleNames();

// The window's numbering, for tests that walk it: Edit1 .. Edit12 and ComboBox1 .. ComboBox3.
inline Control editBox(int n) {
    return kEditBoxes.at(static_cast<std::size_t>(n - 1));
}
inline Control voltageList(int n) {
    return kVoltageLists.at(static_cast<std::size_t>(n - 1));
}

// An editor with its own host, loading images from bytes as if read from its own folder, and
// saving into that folder.
struct Editor {
    ScriptedHost host;
    EditorModel model{host};
    TempDir dir;
    // Loads bytes as Open BIOS... would after reading them from name; returns that path.
    std::filesystem::path open(const std::vector<std::uint8_t>& bytes, const std::string& name = "card.rom");
    // Writes bytes to name and opens the file through the file layer; returns its path.
    std::filesystem::path openFile(const std::vector<std::uint8_t>& bytes,
                                   const std::string& name = "card.rom");
    // Saves to name in the editor's folder and returns the file's bytes (empty if none).
    std::vector<std::uint8_t> save(const std::string& name = "out.rom");
    const FormState& form() const { return model.form(); }
    const CardState& card() const { return model.card(); }
    const ImageAnalysis& analysis() const { return model.analysis(); }
};

// The bytes of an image the PCI data structure of which names device, with the rest added by
// the caller: a 64 KiB image of zeros with the PCI data structure at 0x180.
samples::ImageBuilder cardImage(std::uint16_t device, std::size_t size = 65536);

} // namespace zfx::test
