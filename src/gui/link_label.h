// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QLabel>

#include <cstdint>
#include <functional>

namespace zfx::gui {

class DesktopServices;

// A text label that behaves like a web link: in the palette's link colour and underlined, red while
// hovered or pressed, in the palette's visited-link colour once visited; a click (or Enter or
// Space while it has the focus) opens URL, or the caption when URL is empty.
class TKydUrlLabel : public QLabel {
  public:
    // Shows a target inside the program.
    using Viewer = std::function<void(const QString& target)>;

    // services opens the target and says when no program could.
    explicit TKydUrlLabel(DesktopServices& services, QWidget* parent = nullptr);

    // Colours in the toolkit's 0x00BBGGRR encoding, as the dialogs' designs give them.
    static QColor fromToolkitColor(std::uint32_t bgr);
    static constexpr std::uint32_t clBlue = 0xFF0000;
    static constexpr std::uint32_t clRed = 0x0000FF;
    static constexpr std::uint32_t clNavy = 0x800000;

    QString URL;
    QColor ALinkColor;
    QColor HotColor;

    QColor LinkColor() const { return m_linkColor; }
    QColor VLinkColor() const { return m_vLinkColor; }
    void SetLinkColor(const QColor& value);
    void SetVLinkColor(const QColor& value);

    // The colour the text is drawn in.
    QColor fontColor() const;
    // Changes the text colour as the font colour property would (an idle label keeps it).
    void setFontColor(const QColor& color);

    bool visited() const { return m_visited; }
    // The target opens inside the program instead (a guide, in the help window); an empty viewer
    // leaves it to the desktop again.
    void setViewer(Viewer viewer) { m_viewer = std::move(viewer); }

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void activate();
    QColor restColor() const { return m_visited ? m_vLinkColor : m_linkColor; }

    QColor m_linkColor;
    QColor m_vLinkColor;
    bool m_visited = false;
    bool m_pressed = false;
    bool m_hovering = false;
    DesktopServices& m_services;
    Viewer m_viewer;
};

} // namespace zfx::gui
