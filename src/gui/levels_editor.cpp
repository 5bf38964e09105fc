// SPDX-License-Identifier: MIT
#include "levels_editor.h"

#include "structure/level_places.h"
#include "text/number_text.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <cctype>

namespace zfx::gui {

namespace {

QString qText(const std::string& text) {
    return QString::fromStdString(text);
}

// The value a column of a level's row holds; none for the level's id and its copies cell.
std::optional<LevelField> fieldOf(int column) {
    switch (column) {
    case LevelsEditor::CoreColumn:
        return LevelField::Core;
    case LevelsEditor::MemoryColumn:
        return LevelField::Memory;
    case LevelsEditor::VoltageColumn:
        return LevelField::Voltage;
    case LevelsEditor::FanColumn:
        return LevelField::Fan;
    default:
        return std::nullopt;
    }
}

int columnOf(LevelField field) {
    switch (field) {
    case LevelField::Core:
        return LevelsEditor::CoreColumn;
    case LevelField::Memory:
    case LevelField::MemoryCopy:
        return LevelsEditor::MemoryColumn;
    case LevelField::Voltage:
        return LevelsEditor::VoltageColumn;
    case LevelField::Fan:
        break;
    }
    return LevelsEditor::FanColumn;
}

// An item that only shows a text: never edited, never current.
QTableWidgetItem* captionItem(const QString& text = {}) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

const std::string kCopyHint = "This copy holds another clock than the level's memory clock: another memory "
                              "configuration's, or one given on its own.";

} // namespace

QColor refusedColour(const QPalette& palette) {
    const bool dark = palette.color(QPalette::Base).lightness() < 128;
    return dark ? QColor(255, 120, 110) : QColor(200, 0, 0);
}

LevelsHeading levelsHeading(const EditorModel::LevelsPreview& preview) {
    QString lines = qText(preview.heading);
    for (const LevelSummary& level : preview.levels)
        lines += QStringLiteral("\n") + qText(levelText(level));
    return {qText(preview.heading),
            lines + QStringLiteral("\n\nLevel, core clock, memory clock and its copies (one per memory "
                                   "configuration), voltage. The card picks a level by its load; these "
                                   "lines show what a save would write.")};
}

// Opens a line for a clock or the fan, a list of the voltage table's entries for a voltage; every
// text typed and entry chosen goes to the window at once, which shows the table again. Nothing is
// left to write when the editor closes.
class LevelCellDelegate final : public QStyledItemDelegate {
  public:
    explicit LevelCellDelegate(LevelsEditor& table) : QStyledItemDelegate(&table), m_table(table) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        const std::optional<LevelCell> cell = m_table.cellAt(index.row(), index.column());
        if (!cell) return nullptr;
        QWidget* editor = nullptr;
        if (cell->field == LevelField::Voltage) {
            auto* list = new QComboBox(parent);
            list->addItems(m_table.m_voltages);
            connect(list, &QComboBox::activated, &m_table, [this, list, cell = *cell] {
                m_table.m_edited(cell, list->currentText().toStdString());
            });
            editor = list;
        } else {
            auto* line = new QLineEdit(parent);
            connect(line, &QLineEdit::textEdited, &m_table, [this, cell = *cell](const QString& text) {
                m_table.m_edited(cell, text.toStdString());
            });
            editor = line;
        }
        m_table.editorOpened(editor, *cell);
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        // The table shows its cells again after each keystroke: an editor that holds the text
        // already keeps its cursor.
        const QString text = index.data(Qt::EditRole).toString();
        if (auto* list = qobject_cast<QComboBox*>(editor))
            list->setCurrentIndex(list->findText(text));
        else if (auto* line = qobject_cast<QLineEdit*>(editor); line && line->text() != text)
            line->setText(text);
    }

    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

  private:
    LevelsEditor& m_table;
};

LevelsEditor::LevelsEditor(QWidget* parent, std::function<void(const LevelCell&, const std::string&)> edited,
                           std::function<void()> moved)
    : QTableWidget(parent), m_edited(std::move(edited)), m_moved(std::move(moved)) {
    setObjectName(QStringLiteral("LevelsTable"));
    setColumnCount(6);
    const std::array<std::pair<QString, QString>, 6> headers{{
        {QStringLiteral("Level"), QStringLiteral("The level's id; the card picks a level by its load.")},
        {QStringLiteral("Core"), QStringLiteral("Core clock, in MHz.")},
        {QStringLiteral("Memory"), QStringLiteral("Memory clock, in MHz: every copy that holds it.")},
        {QStringLiteral("Copies"),
         QStringLiteral("The memory clock's copies, one per memory configuration; a click shows them. "
                        "\u2260: a copy holds another clock.")},
        {QStringLiteral("Voltage"), QStringLiteral("Voltage, in volts: one of the voltage table's.")},
        {QStringLiteral("Fan"), QStringLiteral("Fan speed, in percent.")},
    }};
    for (int column = 0; column < columnCount(); ++column) {
        auto* header = new QTableWidgetItem(headers[static_cast<std::size_t>(column)].first);
        header->setToolTip(headers[static_cast<std::size_t>(column)].second);
        setHorizontalHeaderItem(column, header);
    }
    verticalHeader()->hide();
    const int rowHeight = fontMetrics().height() + 6;
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    horizontalHeader()->setHighlightSections(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setItemDelegate(new LevelCellDelegate(*this));
    connect(this, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column == CopiesColumn) toggleCopies(row);
    });
    connect(this, &QTableWidget::currentCellChanged, this, [this] { m_moved(); });
}

LevelsEditor::Shape LevelsEditor::shapeOf(const std::optional<EditableLevels>& levels) {
    Shape shape;
    if (!levels) return shape;
    for (const EditableLevel& level : levels->levels)
        std::get<0>(shape).emplace_back(level.id, level.memory.size(), level.voltage.has_value(),
                                        level.fan.has_value());
    std::get<1>(shape) = levels->tableVoltages;
    std::get<2>(shape) = levels->hundredths;
    return shape;
}

void LevelsEditor::build(const EditableLevels& levels) {
    m_editor = nullptr;
    m_rows.clear();
    for (const EditableLevel& level : levels.levels) {
        m_rows.push_back({level.id, -1});
        for (std::size_t k = 0; level.memory.size() > 1 && k < level.memory.size(); ++k)
            m_rows.push_back({level.id, static_cast<int>(k)});
    }
    clearContents();
    clearSpans();
    setRowCount(static_cast<int>(m_rows.size()));
    for (int row = 0; row < rowCount(); ++row) {
        const Row& r = m_rows[static_cast<std::size_t>(row)];
        for (int column = 0; column < columnCount(); ++column)
            setItem(row, column, captionItem());
        if (r.copy < 0) {
            item(row, LevelColumn)->setText(qText(hexByte(r.level)));
            continue;
        }
        // A copy's caption takes the room of the level's id and core clock beside it.
        setSpan(row, LevelColumn, 1, 2);
        item(row, LevelColumn)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    m_voltages.clear();
    for (const std::uint8_t voltage : levels.tableVoltages)
        m_voltages << qText(valueText(levels, {0, LevelField::Voltage}, voltage));
}

void LevelsEditor::showModel(const EditorModel& model) {
    const std::optional<EditableLevels>& levels = model.levels();
    if (const Shape shape = shapeOf(levels); shape != m_shape || m_rows.empty()) {
        m_shape = shape;
        m_expanded.clear();
        m_differing.clear();
        if (levels) build(*levels);
        // No cell is current until the user goes to one.
        setCurrentItem(nullptr);
    }
    if (!levels) {
        setRowCount(0);
        m_rows.clear();
        return;
    }
    for (const EditableLevel& level : levels->levels) {
        for (const LevelField field :
             {LevelField::Core, LevelField::Memory, LevelField::Voltage, LevelField::Fan})
            showCell(model, {level.id, field});
        showCopies(model, level);
    }
    markEditor();
    showRows();
    updateGeometry();
}

void LevelsEditor::showCell(const EditorModel& model, const LevelCell& cell) {
    QTableWidgetItem* shown = itemOf(cell);
    if (!shown) return;
    const std::optional<std::string> lacking = lackingCell(*model.levels(), cell);
    const QString text = lacking ? QStringLiteral("--") : qText(model.levelText(cell));
    if (shown->text() != text) shown->setText(text);
    // A voltage is chosen among the table's: without a table there is nothing to choose.
    const bool editable = !lacking && (cell.field != LevelField::Voltage || !m_voltages.isEmpty());
    shown->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                    (editable ? Qt::ItemIsEditable : Qt::NoItemFlags));
    QFont font = this->font();
    font.setBold(model.levelChangedFromFile(cell));
    font.setItalic(model.levelCopyDiffers(cell));
    shown->setFont(font);
    const std::string refusal = model.levelRefusal(cell);
    shown->setData(kRefusedRole, !refusal.empty());
    shown->setData(Qt::ForegroundRole, refusal.empty() ? QVariant() : QVariant(refusedColour(palette())));
    std::string tip = lacking ? *lacking : model.levelHint(cell);
    if (lacking && !tip.empty())
        tip.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(tip.front())));
    if (model.levelCopyDiffers(cell)) tip += "\n" + kCopyHint;
    shown->setToolTip(qText(refusal.empty() ? tip : refusal + "\n\n" + tip));
}

void LevelsEditor::showCopies(const EditorModel& model, const EditableLevel& level) {
    bool differs = false;
    for (int k = 0; level.memory.size() > 1 && k < static_cast<int>(level.memory.size()); ++k) {
        const LevelCell copy{level.id, LevelField::MemoryCopy, k};
        showCell(model, copy);
        const bool copyDiffers = model.levelCopyDiffers(copy);
        differs = differs || copyDiffers;
        const QTableWidgetItem* value = itemOf(copy);
        item(value->row(), LevelColumn)
            ->setText(
                QStringLiteral("copy %1%2").arg(k).arg(copyDiffers ? QStringLiteral(" \u2260") : QString()));
    }
    // A level whose copies come to differ shows them; one the user closes stays closed.
    if (differs && !m_differing.contains(level.id)) m_expanded.insert(level.id);
    if (differs)
        m_differing.insert(level.id);
    else
        m_differing.erase(level.id);
    const int row = itemOf({level.id, LevelField::Core})->row();
    const QString arrow = level.memory.size() < 2         ? QString()
                          : m_expanded.contains(level.id) ? QStringLiteral(" \u25BE")
                                                          : QStringLiteral(" \u25B8");
    QTableWidgetItem* copies = item(row, CopiesColumn);
    copies->setText(QStringLiteral("\u00D7%1%2%3")
                        .arg(level.memory.size())
                        .arg(differs ? QStringLiteral(" \u2260") : QString())
                        .arg(arrow));
    copies->setToolTip(
        level.memory.size() < 2
            ? QStringLiteral("One memory copy: the memory clock.")
            : QStringLiteral("%1 memory copies, one per memory configuration%2. A click %3 them.")
                  .arg(level.memory.size())
                  .arg(differs ? QStringLiteral("; a copy holds another clock") : QString())
                  .arg(m_expanded.contains(level.id) ? QStringLiteral("hides") : QStringLiteral("shows")));
}

void LevelsEditor::markEditor() {
    if (!m_editor) return;
    const QTableWidgetItem* shown = itemOf(m_editorCell);
    if (!shown) return;
    // The open editor wears the cell's marks: it covers the cell while the user types.
    QFont font = m_editor->font();
    font.setBold(shown->font().bold());
    m_editor->setFont(font);
    const bool refused = shown->data(kRefusedRole).toBool();
    QPalette colours;
    if (refused) colours.setColor(QPalette::Text, refusedColour(palette()));
    m_editor->setPalette(colours);
    m_editor->setProperty("refused", refused);
    m_editor->setToolTip(shown->toolTip());
}

void LevelsEditor::showRows() {
    for (int row = 0; row < rowCount(); ++row) {
        const Row& r = m_rows[static_cast<std::size_t>(row)];
        setRowHidden(row, r.copy >= 0 && !m_expanded.contains(r.level));
    }
}

void LevelsEditor::toggleCopies(int row) {
    if (row < 0 || row >= rowCount()) return;
    const Row& r = m_rows[static_cast<std::size_t>(row)];
    if (r.copy < 0) setCopiesShown(r.level, !copiesShown(r.level));
}

void LevelsEditor::setCopiesShown(std::uint8_t level, bool shown) {
    const QTableWidgetItem* core = itemOf({level, LevelField::Core});
    if (!core) return;
    if (shown)
        m_expanded.insert(level);
    else
        m_expanded.erase(level);
    QTableWidgetItem* copies = item(core->row(), CopiesColumn);
    QString text = copies->text();
    if (text.endsWith(QChar(0x25B8)) || text.endsWith(QChar(0x25BE))) {
        text.chop(1);
        copies->setText(text + (shown ? QChar(0x25BE) : QChar(0x25B8)));
    }
    showRows();
    updateGeometry();
    if (shown) scrollToItem(core, QAbstractItemView::PositionAtTop);
}

void LevelsEditor::editorOpened(QWidget* editor, const LevelCell& cell) {
    m_editor = editor;
    m_editorCell = cell;
    // Undo and redo are the window's, as in its boxes.
    editor->installEventFilter(this);
}

std::optional<LevelCell> LevelsEditor::cellAt(int row, int column) const {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return std::nullopt;
    const Row& r = m_rows[static_cast<std::size_t>(row)];
    if (r.copy >= 0)
        return column == MemoryColumn ? std::optional(LevelCell{r.level, LevelField::MemoryCopy, r.copy})
                                      : std::nullopt;
    const std::optional<LevelField> field = fieldOf(column);
    return field ? std::optional(LevelCell{r.level, *field}) : std::nullopt;
}

std::optional<LevelCell> LevelsEditor::currentLevelCell() const {
    return cellAt(currentRow(), currentColumn());
}

std::optional<LevelCell> LevelsEditor::cellOf(const QObject* widget) const {
    if (!widget) return std::nullopt;
    if (m_editor && (widget == m_editor || m_editor->isAncestorOf(qobject_cast<const QWidget*>(widget))))
        return m_editorCell;
    if (widget == this || widget == viewport()) return currentLevelCell();
    return std::nullopt;
}

QTableWidgetItem* LevelsEditor::itemOf(const LevelCell& cell) const {
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        const Row& r = m_rows[row];
        const bool copyRow = cell.field == LevelField::MemoryCopy;
        if (r.level == cell.level && (copyRow ? r.copy == cell.copy : r.copy < 0))
            return item(static_cast<int>(row), columnOf(cell.field));
    }
    return nullptr;
}

QSize LevelsEditor::sizeHint() const {
    // Every column whole, and the levels' rows; copies shown beneath them scroll, with room for the
    // scroll bar beside the columns.
    int levelRows = 0;
    for (const Row& r : m_rows)
        levelRows += r.copy < 0 ? 1 : 0;
    const bool scrolls = !m_expanded.empty();
    const int frame = 2 * frameWidth();
    const int width =
        horizontalHeader()->length() + frame + (scrolls ? verticalScrollBar()->sizeHint().width() : 0);
    const int height = horizontalHeader()->sizeHint().height() +
                       verticalHeader()->defaultSectionSize() * std::max(levelRows, 1) + frame;
    return {width, height};
}

void LevelsEditor::keyPressEvent(QKeyEvent* event) {
    const bool toggles =
        event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (toggles && currentColumn() == CopiesColumn) {
        toggleCopies(currentRow());
        return;
    }
    QTableWidget::keyPressEvent(event);
}

bool LevelsEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_editor && event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) {
            event->ignore();
            return true;
        }
    }
    return QTableWidget::eventFilter(watched, event);
}

} // namespace zfx::gui
