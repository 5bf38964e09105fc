// SPDX-License-Identifier: MIT
#include "eliding_label.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace zfx::gui {

void ElidingLabel::setWanted(int wanted) {
    m_wanted = wanted;
    updateGeometry();
}

QSize ElidingLabel::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

QSize ElidingLabel::sizeHint() const {
    const int natural = QLabel::sizeHint().width();
    return {m_wanted == 0 ? 0 : std::min(natural, m_wanted), QLabel::sizeHint().height()};
}

void ElidingLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect room = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), m_mode, room.width());
    style()->drawItemText(&painter, room, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), shown,
                          foregroundRole());
}

} // namespace zfx::gui
