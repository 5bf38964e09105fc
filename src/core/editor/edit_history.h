// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace zfx {

// The window's undo and redo: the states before and after the user's changes. Typing into one
// box is one step however many keys it takes; a step of another kind, or into another box, starts
// a new one.
template <typename State, typename Key> class EditHistory {
  public:
    // Keeps the state a change started from. A change with the key of the last one, and nothing
    // undone since, continues that step when it may merge (typing).
    void record(State before, Key key, bool mayMerge) {
        m_redo.clear();
        if (mayMerge && m_lastKey && *m_lastKey == key && !m_undo.empty()) return;
        m_undo.push_back(std::move(before));
        if (m_undo.size() > kMaxSteps) m_undo.erase(m_undo.begin());
        m_lastKey = mayMerge ? std::optional<Key>(key) : std::nullopt;
    }
    // The state to go back to, given the one shown now (which redo then brings back).
    std::optional<State> undo(State current) { return move(m_undo, m_redo, std::move(current)); }
    std::optional<State> redo(State current) { return move(m_redo, m_undo, std::move(current)); }
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    void clear() {
        m_undo.clear();
        m_redo.clear();
        m_lastKey.reset();
    }
    // Every kept state, for a change that all of them must follow (a save moves what the file holds).
    template <typename Change> void forEachState(Change change) {
        for (State& state : m_undo)
            change(state);
        for (State& state : m_redo)
            change(state);
    }

  private:
    static constexpr std::size_t kMaxSteps = 500;
    std::optional<State> move(std::vector<State>& from, std::vector<State>& to, State current) {
        m_lastKey.reset();
        if (from.empty()) return std::nullopt;
        State back = std::move(from.back());
        from.pop_back();
        to.push_back(std::move(current));
        return back;
    }
    std::vector<State> m_undo;
    std::vector<State> m_redo;
    std::optional<Key> m_lastKey;
};

} // namespace zfx
