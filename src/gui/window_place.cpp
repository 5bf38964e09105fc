// SPDX-License-Identifier: MIT
#include "window_place.h"

#include <QLayout>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace zfx::gui {

namespace {

// A window manager's title bar and borders, in the window's own pixels.
constexpr QSize kFrameAllowance(8, 32);

QScreen* screenOf(const QWidget& window) {
    const QWidget* parent = window.parentWidget();
    return parent ? parent->window()->screen() : window.screen();
}

} // namespace

QRect roomOnScreen(const QWidget& window) {
    const QRect screen = screenOf(window)->availableGeometry();
    return {screen.topLeft(), screen.size() - kFrameAllowance};
}

void placeOnScreen(QWidget& window, QSize wanted, std::optional<QPoint> where) {
    const QRect room = roomOnScreen(window);
    // No smaller than the layout needs (the layout sees to that as its content grows), unless the
    // screen is smaller still.
    const QSize needed = window.minimumSizeHint().expandedTo(window.minimumSize());
    if (needed.width() > room.width() || needed.height() > room.height()) {
        if (window.layout()) window.layout()->setSizeConstraint(QLayout::SetNoConstraint);
        window.setMinimumSize(needed.boundedTo(room.size()));
    }
    window.resize(wanted.expandedTo(needed).boundedTo(room.size()));
    const QWidget* parent = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    const QRect around = parent ? parent->geometry() : room;
    const QPoint centred = around.center() - QPoint(window.width() / 2, window.height() / 2);
    const QPoint wantedPlace = where.value_or(centred);
    const int x =
        std::clamp(wantedPlace.x(), room.left(), std::max(room.left(), room.right() + 1 - window.width()));
    const int y =
        std::clamp(wantedPlace.y(), room.top(), std::max(room.top(), room.bottom() + 1 - window.height()));
    window.move(x, y);
}

} // namespace zfx::gui
