// SPDX-License-Identifier: MIT
#include "kyd_url_label.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

namespace zfx::gui {

TKydUrlLabel::TKydUrlLabel(QWidget* parent) : QLabel(parent) {
    setFontColor(fromToolkitColor(clBlue));
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    m_linkColor = fromToolkitColor(clBlue);
    ALinkColor = fromToolkitColor(clRed);
    m_vLinkColor = fromToolkitColor(clNavy);
    HotColor = fromToolkitColor(clRed);
    setCursor(Qt::PointingHandCursor);
    m_opener = [](const QString& target) { QDesktopServices::openUrl(QUrl::fromUserInput(target)); };
}

QColor TKydUrlLabel::fromToolkitColor(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

QColor TKydUrlLabel::fontColor() const {
    return palette().color(QPalette::WindowText);
}

void TKydUrlLabel::setFontColor(const QColor& color) {
    QPalette changed = palette();
    changed.setColor(QPalette::WindowText, color);
    setPalette(changed);
}

void TKydUrlLabel::SetLinkColor(const QColor& value) {
    if (value == m_linkColor) return;
    // A visited label shows its visited colour; only the stored value changes.
    if (m_visited)
        m_linkColor = value;
    else
        setFontColor(value);
}

void TKydUrlLabel::SetVLinkColor(const QColor& value) {
    if (value == m_vLinkColor) return;
    if (!m_visited)
        m_vLinkColor = value;
    else
        setFontColor(value);
}

void TKydUrlLabel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    m_hovering = true;
    setFontColor(m_pressed ? ALinkColor : HotColor);
}

void TKydUrlLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    setFontColor(restColor());
    m_hovering = false;
}

void TKydUrlLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    m_pressed = true;
    setFontColor(ALinkColor);
}

void TKydUrlLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    const QPointF at = event->position();
    // The right and bottom edges count as inside.
    const bool outside = at.x() < 0 || at.y() < 0 || at.y() > height() || at.x() > width();
    if (outside) {
        setFontColor(restColor());
    } else if (m_pressed) {
        m_visited = true;
        setFontColor(m_vLinkColor);
        m_opener(URL.isEmpty() ? text() : URL);
    }
    m_pressed = false;
}

void TKydUrlLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    // A colour given to an idle label becomes its link colour; the label's own changes happen
    // while it is pressed or hovered and so never feed back.
    if (event->type() != QEvent::PaletteChange || m_pressed || m_hovering) return;
    if (m_visited)
        m_vLinkColor = fontColor();
    else
        m_linkColor = fontColor();
}

} // namespace zfx::gui
