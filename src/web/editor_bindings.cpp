// SPDX-License-Identifier: MIT
// The page's way into the window model: the model with a host that records what it shows and
// asks, and the controls by their JSON keys. The page writes a picked file into the in-memory file
// system, opens it by name, and offers the saved file back as a download.
#include "editor/editor_model.h"
#include "editor/editor_state.h"
#include "structure/performance_levels.h"

#include <nlohmann/json.hpp>

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace zfx::web {

namespace {

using emscripten::val;

// A dialog the model opened while the page answered nothing yet: the page shows it as its own and
// runs the action again with the answer.
struct Question {
    std::string kind; // "unsaved": save, discard or cancel; "confirm": save anyway or not
    std::string text;
    std::string detail;
};

// A file the model saved during an action, to be offered as a download.
struct SavedFile {
    std::string path;
    std::vector<std::string> lines; // what changed, the checksum byte, the notes
};

// A host that keeps what the model shows and answers its questions from the answers the page
// gave; a question without an answer is recorded and refused, which leaves the model unchanged.
class PageHost final : public EditorHost {
  public:
    void showMessage(const Message& message) override { messages.push_back(message); }
    void saved(const std::string& path, const SaveReport& report) override {
        savedFiles.push_back({path, report.lines()});
    }
    std::optional<std::string> chooseOpenPath() override { return std::nullopt; }
    // A save that the unsaved-edits question asks for goes where the page's own save would.
    std::optional<SaveChoice> chooseSavePath() override {
        if (savePath.empty()) return std::nullopt;
        return SaveChoice{savePath, kRomFilterEntry};
    }
    UnsavedChanges askToSaveChanges(const std::string& text) override {
        if (unsavedAnswer) return *unsavedAnswer;
        question = Question{"unsaved", text, {}};
        return UnsavedChanges::Cancel;
    }
    bool confirmSave(const std::string& text, const std::string& detail) override {
        if (agreed.contains(text + "\n" + detail)) return true;
        if (!question) question = Question{"confirm", text, detail};
        return false;
    }
    void showDialog(Dialog dialog) override { dialogs.push_back(dialog); }
    void closeMainWindow() override {}

    // What the last action showed and asked, cleared before the next one runs.
    void forgetAction() {
        messages.clear();
        dialogs.clear();
        savedFiles.clear();
        question.reset();
    }
    // The page's answers, kept while it runs an action again; cleared when the action ran to its
    // end or the user cancelled it.
    void forgetAnswers() {
        unsavedAnswer.reset();
        agreed.clear();
    }

    std::string savePath;
    std::optional<UnsavedChanges> unsavedAnswer;
    std::set<std::string> agreed; // question and detail of each save the user let go on
    std::vector<Message> messages;
    std::vector<Dialog> dialogs;
    std::vector<SavedFile> savedFiles;
    std::optional<Question> question;
};

// The control a JSON key names: "core3d", "2d", "A", "generalMode".
std::optional<Control> controlNamed(const std::string& key) {
    for (const ControlInfo& info : kControls)
        if (info.jsonKey == key) return info.control;
    return std::nullopt;
}

val textList(const std::vector<std::string>& texts) {
    val list = val::array();
    for (const std::string& text : texts)
        list.call<void>("push", text);
    return list;
}

val dialogName(Dialog dialog) {
    switch (dialog) {
    case Dialog::Form1:
        return val("help");
    case Dialog::Form2:
        return val("about");
    case Dialog::Form3:
        return val("general-mode");
    case Dialog::Form4:
        return val("memory-timings");
    }
    return val("");
}

} // namespace

// The window model as the page drives it.
class PageEditor {
  public:
    PageEditor() : m_model(m_host) {}

    // Open (a pick or a drop): asks about unsaved edits first, as the window does.
    val open(const std::string& path) {
        return act([&] { m_model.openAfterAsking(path); });
    }
    // Save under the name the user chose, with the window's rule for its extension.
    val save(const std::string& name) {
        return act([&] { (void)m_model.saveBios(name, kRomFilterEntry); });
    }
    val setChecked(const std::string& key, bool ticked) {
        return act([&] {
            if (const auto box = controlNamed(key)) m_model.setChecked(*box, ticked);
        });
    }
    val select(const std::string& key, int position) {
        return act([&] {
            if (const auto list = controlNamed(key)) m_model.selectEntry(*list, position);
        });
    }
    // A text typed or pasted into a box, and the key's release that follows it.
    val type(const std::string& key, const std::string& text) {
        return act([&] {
            const auto box = controlNamed(key);
            if (!box || !EditorModel::acceptsTypedText(text)) return;
            m_model.typeText(*box, text);
            m_model.keyReleased(*box);
        });
    }
    // A value of a performance level, by its cell's name ("80h:memory.3"), typed or chosen in the
    // levels table. What the model does not set it says why, as an error.
    val setLevel(const std::string& name, const std::string& text) {
        return act([&] {
            const LevelCellRead read = readLevelCell(name);
            const std::optional<std::string> refused =
                read.cell ? m_model.setLevelText(*read.cell, text) : read.error;
            if (refused) m_host.showMessage({"The value was not set.", *refused, true});
        });
    }
    // Puts back what the file holds into one cell of the levels table.
    val revertLevel(const std::string& name) {
        return act([&] {
            if (const LevelCellRead read = readLevelCell(name); read.cell) m_model.revertLevel(*read.cell);
        });
    }
    val undo() {
        return act([&] { m_model.undo(); });
    }
    val redo() {
        return act([&] { m_model.redo(); });
    }
    // Puts back what the file holds into every control.
    val revertAll() {
        return act([&] { m_model.revertAll(); });
    }
    val help() {
        return act([&] { m_model.HowdoI1Click(); });
    }
    val about() {
        return act([&] { m_model.About1Click(); });
    }

    // The page's answers to the question an action asked; the page then runs the action again.
    void answerUnsaved(const std::string& answer) {
        m_host.unsavedAnswer = answer == "save"      ? UnsavedChanges::Save
                               : answer == "discard" ? UnsavedChanges::Discard
                                                     : UnsavedChanges::Cancel;
    }
    void agree(const std::string& question, const std::string& detail) {
        m_host.agreed.insert(question + "\n" + detail);
    }
    // The user cancelled a question: the next action asks afresh.
    // The page's answers, kept while it runs an action again; cleared when the action ran to its
    // end or the user cancelled it.
    void forgetAnswers() { m_host.forgetAnswers(); }
    // Where a save goes when the unsaved-edits question is answered with Save.
    void setSavePath(const std::string& path) { m_host.savePath = path; }

    // The name a save proposes by the window's rule: "card-mod.rom" for card.rom, "card-mod-2.rom"
    // when the page saved that already; empty before an open.
    std::string proposedSaveName() const {
        const std::string path = m_model.proposedSavePath([](const std::string& name) {
            std::error_code error;
            return std::filesystem::exists(name, error);
        });
        return std::filesystem::path(path).filename().string();
    }
    std::string checksReport() const { return m_model.checksReport(); }
    std::string placeOf(const std::string& key) const {
        const auto control = controlNamed(key);
        return control ? m_model.placeOf(*control) : std::string();
    }

    // What the window shows: the editor's state as info --json gives it, and under "view" what
    // the window adds to it.
    val state() const {
        nlohmann::ordered_json state = editorStateJson(m_model, {}, {});
        state["view"] = windowViewJson(m_model);
        return val::global("JSON").call<val>("parse", jsonLine(state));
    }

  private:
    // Runs one user action and returns what it showed and asked, and the files it saved.
    template <typename Action> val act(Action action) {
        m_host.forgetAction();
        action();
        val result = val::object();
        val messages = val::array();
        for (const Message& message : m_host.messages) {
            val item = val::object();
            item.set("text", message.text);
            item.set("detail", message.detail);
            item.set("isError", message.isError);
            messages.call<void>("push", item);
        }
        result.set("messages", messages);
        val dialogs = val::array();
        for (const Dialog dialog : m_host.dialogs)
            dialogs.call<void>("push", dialogName(dialog));
        result.set("dialogs", dialogs);
        val saved = val::array();
        for (const SavedFile& file : m_host.savedFiles) {
            val item = val::object();
            item.set("path", file.path);
            item.set("name", std::filesystem::path(file.path).filename().string());
            item.set("lines", textList(file.lines));
            saved.call<void>("push", item);
        }
        result.set("saved", saved);
        if (m_host.question) {
            val question = val::object();
            question.set("kind", m_host.question->kind);
            question.set("text", m_host.question->text);
            question.set("detail", m_host.question->detail);
            result.set("question", question);
        } else {
            result.set("question", val::null());
            m_host.forgetAnswers(); // the action ran to its end: the next one asks afresh
        }
        return result;
    }

    PageHost m_host;
    EditorModel m_model;
};

} // namespace zfx::web

EMSCRIPTEN_BINDINGS(zorvane_fx) {
    emscripten::class_<zfx::web::PageEditor>("PageEditor")
        .constructor<>()
        .function("open", &zfx::web::PageEditor::open)
        .function("save", &zfx::web::PageEditor::save)
        .function("setChecked", &zfx::web::PageEditor::setChecked)
        .function("select", &zfx::web::PageEditor::select)
        .function("type", &zfx::web::PageEditor::type)
        .function("setLevel", &zfx::web::PageEditor::setLevel)
        .function("revertLevel", &zfx::web::PageEditor::revertLevel)
        .function("undo", &zfx::web::PageEditor::undo)
        .function("redo", &zfx::web::PageEditor::redo)
        .function("revertAll", &zfx::web::PageEditor::revertAll)
        .function("help", &zfx::web::PageEditor::help)
        .function("about", &zfx::web::PageEditor::about)
        .function("answerUnsaved", &zfx::web::PageEditor::answerUnsaved)
        .function("agree", &zfx::web::PageEditor::agree)
        .function("forgetAnswers", &zfx::web::PageEditor::forgetAnswers)
        .function("setSavePath", &zfx::web::PageEditor::setSavePath)
        .function("proposedSaveName", &zfx::web::PageEditor::proposedSaveName)
        .function("checksReport", &zfx::web::PageEditor::checksReport)
        .function("placeOf", &zfx::web::PageEditor::placeOf)
        .function("state", &zfx::web::PageEditor::state);
}
