// SPDX-License-Identifier: MIT
#include "structure_window.h"

#include "hex_view.h"
#include "text/number_text.h"
#include "window_place.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QShortcut>
#include <QSplitter>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>

namespace zfx::gui {

namespace {

constexpr int kNodeRole = Qt::UserRole;

// The bytes of the image after the save the window's values would make, where they differ.
std::map<std::int32_t, std::uint8_t> pendingBytes(const EditorModel& model) {
    std::map<std::int32_t, std::uint8_t> pending;
    if (!model.modified()) return pending;
    const SavePlanResult& planned = model.plannedSave();
    if (!planned.plan) return pending;
    const BiosImage& before = model.analysis().image;
    // The levels' values come after the fields' writes and win where they meet.
    const auto mark = [&](std::int32_t offset, std::uint8_t value) {
        if (before.at(offset) != value)
            pending[offset] = value;
        else
            pending.erase(offset);
    };
    for (const ByteWrite& write : planned.plan->writes)
        mark(write.offset, write.value);
    for (const LevelByte& write : planned.plan->levelWrites)
        mark(write.offset, write.value);
    if (before.at(planned.plan->checksumOffset) != planned.plan->checksum)
        pending[planned.plan->checksumOffset] = planned.plan->checksum;
    return pending;
}

} // namespace

StructureWindow::StructureWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("StructureWindow"));
    setWindowTitle(QStringLiteral("BIOS Structure"));
    auto* splitter = new QSplitter(this);
    m_tree = new QTreeWidget(splitter);
    m_tree->setObjectName(QStringLiteral("StructureTree"));
    m_tree->setHeaderLabels({QStringLiteral("Part"), QStringLiteral("Value")});
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_hex = new HexView(splitter);
    splitter->addWidget(m_tree);
    splitter->addWidget(m_hex);
    splitter->setStretchFactor(0, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(splitter);
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { showNode(item); });
    auto* goTo = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_G), this);
    connect(goTo, &QShortcut::activated, this, &StructureWindow::askForOffset);
    placeOnScreen(*this, QSize(1000, 600));
}

void StructureWindow::showModel(const EditorModel& model) {
    const std::vector<std::uint8_t>& bytes = model.analysis().image.bytes();
    if (bytes != m_hex->bytes() || m_nodes.empty()) {
        m_root = structureTree(model.analysis());
        m_hex->setBytes(bytes);
        fillTree();
    }
    m_hex->setPending(pendingBytes(model));
}

void StructureWindow::fillTree() {
    m_tree->clear();
    m_nodes.clear();
    auto add = [this](auto& self, const TreeNode& node, QTreeWidgetItem* item) -> void {
        item->setText(0, QString::fromStdString(node.label));
        item->setText(1, QString::fromStdString(node.value));
        item->setToolTip(1, item->text(1));
        item->setData(0, kNodeRole, static_cast<int>(m_nodes.size()));
        m_nodes.push_back(&node);
        for (const TreeNode& child : node.children)
            self(self, child, new QTreeWidgetItem(item));
    };
    for (const TreeNode& group : m_root.children)
        add(add, group, new QTreeWidgetItem(m_tree));
    m_tree->expandToDepth(0);
}

void StructureWindow::showNode(QTreeWidgetItem* item) {
    if (!item) return;
    const TreeNode* node = m_nodes.at(static_cast<std::size_t>(item->data(0, kNodeRole).toInt()));
    m_hex->select(node->bytes);
}

void StructureWindow::selectField(CardField field) {
    const TreeNode* node = nodeOfField(m_root, field);
    if (!node) return;
    const auto at = std::find(m_nodes.begin(), m_nodes.end(), node);
    const int index = static_cast<int>(at - m_nodes.begin());
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if ((*it)->data(0, kNodeRole).toInt() == index) {
            m_tree->setCurrentItem(*it);
            m_tree->scrollToItem(*it);
            return;
        }
}

void StructureWindow::askForOffset() {
    bool ok = false;
    const QString text = QInputDialog::getText(this, QStringLiteral("Go to offset"),
                                               QStringLiteral("Offset (7A31h, 0x7A31 or 31281):"),
                                               QLineEdit::Normal, QString(), &ok);
    if (!ok) return;
    const std::optional<std::int32_t> offset = offsetFromText(text.toStdString());
    if (offset && *offset >= 0 && static_cast<std::size_t>(*offset) < m_hex->bytes().size())
        m_hex->goToOffset(*offset);
}

} // namespace zfx::gui
