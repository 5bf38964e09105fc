// SPDX-License-Identifier: MIT
#pragma once

#include "analysis/structure_tree.h"

#include <QAbstractScrollArea>

#include <cstdint>
#include <map>
#include <vector>

namespace zfx::gui {

// A read-only hex dump of an image, 16 bytes a row. It paints only the rows in view, so an
// image of any size shows at once. Selected bytes are highlighted; bytes an unsaved edit would
// change show their new value, marked.
class HexView final : public QAbstractScrollArea {
  public:
    explicit HexView(QWidget* parent = nullptr);

    static constexpr int kBytesPerRow = 16;

    void setBytes(std::vector<std::uint8_t> bytes);
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
    // The new value of each byte the unsaved edits would change, by offset.
    void setPending(std::map<std::int32_t, std::uint8_t> pending);
    const std::map<std::int32_t, std::uint8_t>& pending() const { return m_pending; }
    // Highlights the spans and scrolls the first into view; none clears the highlight.
    void select(std::vector<ByteSpan> spans);
    const std::vector<ByteSpan>& selection() const { return m_selection; }
    // Scrolls so the offset's row is in view and marks that byte.
    void goToOffset(std::int32_t offset);
    // The offset of the first byte of the top row in view.
    std::int32_t topOffset() const;
    // Whether the byte at the offset lies in a row the view shows.
    bool showsOffset(std::int32_t offset) const;
    // Room for whole rows; at the least the offsets and half a row.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    int rowHeight() const;
    int visibleRows() const;
    void updateScrollRange();
    void scrollToOffset(std::int32_t offset);
    bool selected(std::int32_t offset) const;

    std::vector<std::uint8_t> m_bytes;
    std::map<std::int32_t, std::uint8_t> m_pending;
    std::vector<ByteSpan> m_selection;
};

} // namespace zfx::gui
