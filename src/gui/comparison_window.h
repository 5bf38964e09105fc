// SPDX-License-Identifier: MIT
#pragma once

#include "analysis/image_comparison.h"
#include "analysis/structure_tree.h"

#include <QWidget>

#include <vector>

class QLabel;
class QTreeWidget;

namespace zfx::gui {

class HexView;

// File > Compare With...: the open image against another file, as diff compares them: what tells
// the two apart first, then every value that differs, the bytes that differ elsewhere and the
// checksum byte. A row leads to its bytes in both images, each in a hex view of its own.
class ComparisonWindow final : public QWidget {
  public:
    explicit ComparisonWindow(QWidget* parent);

    // The open image against the other; the names of their files go above their hex views.
    void compare(const ImageAnalysis& open, const QString& openName, const ImageAnalysis& other,
                 const QString& otherName);

    // The rows as their texts: "3D core clock: 475 -> 500 MHz at 7A31h", "bytes 1000h..1003h: ...".
    QStringList rowTexts() const;
    QLabel* identity() const { return m_identity; }
    QTreeWidget* rows() const { return m_rows; }
    HexView* openView() const { return m_open; }
    HexView* otherView() const { return m_other; }
    QLabel* openName() const { return m_openName; }
    QLabel* otherName() const { return m_otherName; }

  private:
    // Where a row's bytes lie in the open image and in the other.
    struct RowPlaces {
        std::vector<ByteSpan> open;
        std::vector<ByteSpan> other;
    };
    void addRow(const QString& group, const std::string& text, RowPlaces places);
    void showRow(int row);

    QLabel* m_identity = nullptr;
    QTreeWidget* m_rows = nullptr;
    HexView* m_open = nullptr;
    HexView* m_other = nullptr;
    QLabel* m_openName = nullptr;
    QLabel* m_otherName = nullptr;
    std::vector<RowPlaces> m_places;
};

} // namespace zfx::gui
