// SPDX-License-Identifier: MIT
#include "link_label.h"

#include "desktop_services.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QUrl>

namespace zfx::gui {

TKydUrlLabel::TKydUrlLabel(DesktopServices& services, QWidget* parent)
    : QLabel(parent), m_services(services) {
    // The palette's link colours read in light and dark themes alike.
    m_linkColor = palette().color(QPalette::Link);
    m_vLinkColor = palette().color(QPalette::LinkVisited);
    setFontColor(m_linkColor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    ALinkColor = fromToolkitColor(clRed);
    HotColor = fromToolkitColor(clRed);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
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
        activate();
    }
    m_pressed = false;
}

void TKydUrlLabel::activate() {
    m_visited = true;
    setFontColor(m_vLinkColor);
    const QString target = URL.isEmpty() ? text() : URL;
    if (m_viewer)
        m_viewer(target);
    else if (!m_services.openLink(QUrl::fromUserInput(target)))
        m_services.reportUnopenedLink(window(), target);
}

void TKydUrlLabel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        activate();
        break;
    default:
        QLabel::keyPressEvent(event);
    }
}

void TKydUrlLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    // A label draws no focus of its own; a keyboard user must see which link Enter opens.
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
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
