// SPDX-License-Identifier: MIT
#include "hex_view.h"

#include <QFontDatabase>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace zfx::gui {

namespace {

// Columns, in characters: the offset, a gap, 16 bytes of three characters, a gap, the text.
constexpr int kOffsetChars = 8;
constexpr int kBytesColumn = kOffsetChars + 2;
constexpr int kTextColumn = kBytesColumn + HexView::kBytesPerRow * 3 + 1;
constexpr int kRowChars = kTextColumn + HexView::kBytesPerRow;

QString hexText(std::uint32_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

} // namespace

HexView::HexView(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("HexView"));
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QSize HexView::sizeHint() const {
    // Whole rows; narrower, the rows scroll sideways.
    return {fontMetrics().horizontalAdvance(QLatin1Char('0')) * (kRowChars + 2) +
                verticalScrollBar()->sizeHint().width(),
            QAbstractScrollArea::sizeHint().height()};
}

QSize HexView::minimumSizeHint() const {
    // The offsets and half a row of bytes.
    return {fontMetrics().horizontalAdvance(QLatin1Char('0')) * (kBytesColumn + kBytesPerRow * 3 / 2) +
                verticalScrollBar()->sizeHint().width(),
            QAbstractScrollArea::minimumSizeHint().height()};
}

void HexView::setBytes(std::vector<std::uint8_t> bytes) {
    m_bytes = std::move(bytes);
    m_pending.clear();
    updateScrollRange();
    viewport()->update();
}

void HexView::setPending(std::map<std::int32_t, std::uint8_t> pending) {
    m_pending = std::move(pending);
    viewport()->update();
}

void HexView::select(std::vector<ByteSpan> spans) {
    m_selection = std::move(spans);
    if (!m_selection.empty()) scrollToOffset(m_selection.front().offset);
    viewport()->update();
}

void HexView::goToOffset(std::int32_t offset) {
    select({{offset, 1}});
}

std::int32_t HexView::topOffset() const {
    return verticalScrollBar()->value() * kBytesPerRow;
}

bool HexView::showsOffset(std::int32_t offset) const {
    const int row = offset / kBytesPerRow;
    const int top = verticalScrollBar()->value();
    return row >= top && row < top + visibleRows();
}

int HexView::rowHeight() const {
    return fontMetrics().height();
}

int HexView::visibleRows() const {
    return std::max(1, viewport()->height() / rowHeight());
}

void HexView::updateScrollRange() {
    const int rows = static_cast<int>((m_bytes.size() + kBytesPerRow - 1) / kBytesPerRow);
    verticalScrollBar()->setRange(0, std::max(0, rows - visibleRows()));
    verticalScrollBar()->setPageStep(visibleRows());
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    horizontalScrollBar()->setRange(0, std::max(0, charWidth * (kRowChars + 1) - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void HexView::scrollToOffset(std::int32_t offset) {
    if (showsOffset(offset)) return;
    // A few rows of what comes before stay in view above it.
    const int row = offset / kBytesPerRow;
    verticalScrollBar()->setValue(std::max(0, row - visibleRows() / 4));
}

void HexView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

bool HexView::selected(std::int32_t offset) const {
    return std::any_of(m_selection.begin(), m_selection.end(), [&](const ByteSpan& span) {
        return offset >= span.offset && offset - span.offset < span.length;
    });
}

void HexView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QPalette& colours = palette();
    painter.fillRect(viewport()->rect(), colours.base());
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int height = rowHeight();
    const int ascent = fontMetrics().ascent();
    const int left = -horizontalScrollBar()->value();
    const auto size = static_cast<std::int64_t>(m_bytes.size());
    const QColor pendingColour(Qt::red);
    const QColor selectionColour = colours.highlight().color().lighter(150);
    const int top = verticalScrollBar()->value();
    for (int line = 0; line <= visibleRows(); ++line) {
        const std::int64_t start = static_cast<std::int64_t>(top + line) * kBytesPerRow;
        if (start >= size) break;
        const int y = line * height;
        painter.setPen(colours.color(QPalette::PlaceholderText));
        painter.drawText(left, y + ascent, hexText(static_cast<std::uint32_t>(start), kOffsetChars));
        for (int i = 0; i < kBytesPerRow && start + i < size; ++i) {
            const auto at = static_cast<std::int32_t>(start + i);
            const auto pending = m_pending.find(at);
            const std::uint8_t value =
                pending == m_pending.end() ? m_bytes[static_cast<std::size_t>(at)] : pending->second;
            const QRect byteBox(left + (kBytesColumn + i * 3) * charWidth, y, charWidth * 2, height);
            const QRect textBox(left + (kTextColumn + i) * charWidth, y, charWidth, height);
            if (selected(at)) {
                painter.fillRect(byteBox, selectionColour);
                painter.fillRect(textBox, selectionColour);
            }
            QFont font = painter.font();
            font.setBold(pending != m_pending.end());
            painter.setFont(font);
            painter.setPen(pending == m_pending.end() ? colours.color(QPalette::Text) : pendingColour);
            painter.drawText(byteBox.left(), y + ascent, hexText(value, 2));
            const QChar shown =
                value >= 0x20 && value < 0x7F ? QChar(static_cast<char16_t>(value)) : QLatin1Char('.');
            painter.drawText(textBox.left(), y + ascent, QString(shown));
        }
    }
}

} // namespace zfx::gui
