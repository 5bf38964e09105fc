// SPDX-License-Identifier: MIT
#pragma once

#include "editor/editor_model.h"

#include <QPointer>
#include <QTableWidget>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace zfx::gui {

// The performance levels as the Info box shows them above their table: a heading that says
// whether a save would change them, and the levels a save would write, as lines of plain text
// for its tool tip. Only for a preview with levels.
struct LevelsHeading {
    QString heading;
    QString toolTip;
};
LevelsHeading levelsHeading(const EditorModel::LevelsPreview& preview);

// The warning red of a value the save would refuse, one that reads on the palette's base.
QColor refusedColour(const QPalette& palette);

// The performance levels as a table the user edits: a row per level with its core clock, memory
// clock, memory copies, voltage and fan, and each level's copies in rows of their own beneath it,
// shown by a click on its copies cell. Every text and mark comes from the model; the window passes
// each edit to the model and shows the table again.
class LevelsEditor final : public QTableWidget {
  public:
    enum Column { LevelColumn, CoreColumn, MemoryColumn, CopiesColumn, VoltageColumn, FanColumn };
    // Whether a cell's value is one the save would refuse, as the items keep it.
    static constexpr int kRefusedRole = Qt::UserRole + 1;

    // edited gets the user's text for a cell as it is typed or chosen; moved, that the user went
    // to another cell.
    LevelsEditor(QWidget* parent, std::function<void(const LevelCell&, const std::string&)> edited,
                 std::function<void()> moved);

    // Shows the model's levels: built anew for another image, otherwise only the texts and marks.
    void showModel(const EditorModel& model);
    // The cell the user is at, when the widget is this table or the editor open in it.
    std::optional<LevelCell> cellOf(const QObject* widget) const;
    std::optional<LevelCell> currentLevelCell() const;
    // The table's item of a value, and the row and column it lies at; null where the table has none.
    QTableWidgetItem* itemOf(const LevelCell& cell) const;
    // The copies of a level in view beneath it, or not.
    void setCopiesShown(std::uint8_t level, bool shown);
    bool copiesShown(std::uint8_t level) const { return m_expanded.contains(level); }
    // The editor open in a cell, if any.
    QWidget* openEditor() const { return m_editor; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend class LevelCellDelegate;
    // A row: a level, or one of its memory copies (copy >= 0).
    struct Row {
        std::uint8_t level = 0;
        int copy = -1;
    };
    // What the rows are made of: the levels, their copies, voltages and fans, and the table's
    // voltages. Another image with the same makes no new rows.
    using Shape = std::tuple<std::vector<std::tuple<std::uint8_t, std::size_t, bool, bool>>,
                             std::vector<std::uint8_t>, bool>;
    static Shape shapeOf(const std::optional<EditableLevels>& levels);
    void build(const EditableLevels& levels);
    std::optional<LevelCell> cellAt(int row, int column) const;
    void showCell(const EditorModel& model, const LevelCell& cell);
    void showCopies(const EditorModel& model, const EditableLevel& level);
    void markEditor();
    void showRows();
    void toggleCopies(int row);
    // The editor the delegate opened for a cell, which the marks follow.
    void editorOpened(QWidget* editor, const LevelCell& cell);

    std::function<void(const LevelCell&, const std::string&)> m_edited;
    std::function<void()> m_moved;
    Shape m_shape;
    std::vector<Row> m_rows;
    std::set<std::uint8_t> m_expanded;
    std::set<std::uint8_t> m_differing; // the levels seen with a copy that differs
    QStringList m_voltages;             // the voltage table's entries, as a cell shows them
    QPointer<QWidget> m_editor;
    LevelCell m_editorCell;
};

} // namespace zfx::gui
