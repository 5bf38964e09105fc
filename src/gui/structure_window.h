// SPDX-License-Identifier: MIT
#pragma once

#include "analysis/structure_tree.h"
#include "editor/editor_model.h"

#include <QWidget>

class QTreeWidget;
class QTreeWidgetItem;

namespace zfx::gui {

class HexView;

// View > BIOS Structure: the tree of what the open image holds beside a hex view of it. A node
// selects its bytes; the bytes the unsaved edits would change show their new values.
class StructureWindow final : public QWidget {
  public:
    explicit StructureWindow(QWidget* parent);

    // Shows the model's image, its tree and the writes its unsaved edits would make. The tree and
    // the bytes are built anew only when the image is another.
    void showModel(const EditorModel& model);
    // Selects the node of the value a field's box or list shows, and its bytes.
    void selectField(CardField field);
    // Asks for an offset and scrolls the hex view there (Ctrl+G).
    void askForOffset();

    QTreeWidget* tree() const { return m_tree; }
    HexView* hexView() const { return m_hex; }

  private:
    void fillTree();
    void showNode(QTreeWidgetItem* item);

    QTreeWidget* m_tree = nullptr;
    HexView* m_hex = nullptr;
    TreeNode m_root;
    std::vector<const TreeNode*> m_nodes; // by the index each item keeps
};

} // namespace zfx::gui
