// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QLabel>

#include <cstdint>
#include <functional>

namespace zfx::gui {

// A text label that behaves like a web link: blue and underlined, red while hovered or pressed,
// navy once visited; a click opens URL, or the caption when URL is empty.
class TKydUrlLabel : public QLabel {
  public:
    using Opener = std::function<void(const QString& target)>;

    explicit TKydUrlLabel(QWidget* parent = nullptr);

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
    // Replaces what opens the target (the desktop's default handler); tests pass a recorder.
    void setOpener(Opener opener) { m_opener = std::move(opener); }

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    QColor restColor() const { return m_visited ? m_vLinkColor : m_linkColor; }

    QColor m_linkColor;
    QColor m_vLinkColor;
    bool m_visited = false;
    bool m_pressed = false;
    bool m_hovering = false;
    Opener m_opener;
};

} // namespace zfx::gui
