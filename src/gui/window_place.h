// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class QWidget;

namespace zfx::gui {

// The room a window has on the screen it opens on (its parent's, for a window that has one): the
// screen's available geometry less the window manager's frame, which is not known before the
// window is shown.
QRect roomOnScreen(const QWidget& window);
// Sizes a window as wanted, no smaller than its layout needs unless the room is smaller still
// (then its minimum is the room), and places its top left at where, moved as little as needed to
// lie whole in the room; centred over its parent, or the screen, when where is absent.
void placeOnScreen(QWidget& window, QSize wanted, std::optional<QPoint> where = std::nullopt);

} // namespace zfx::gui
