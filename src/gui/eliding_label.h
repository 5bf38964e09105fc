// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

namespace zfx::gui {

// A status-bar label that never widens the window: a text longer than its room ends in "...";
// the whole of it is in the tool tip. wanted is the width it asks for (0: whatever is left).
class ElidingLabel final : public QLabel {
  public:
    ElidingLabel(QWidget* parent, int wanted, Qt::TextElideMode mode = Qt::ElideRight)
        : QLabel(parent), m_wanted(wanted), m_mode(mode) {}
    void setWanted(int wanted);
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int m_wanted;
    Qt::TextElideMode m_mode;
};

} // namespace zfx::gui
