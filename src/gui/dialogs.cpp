// SPDX-License-Identifier: MIT
#include "dialogs.h"

#include "help_window.h"
#include "link_label.h"
#include "window_place.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>

#include <vector>

namespace zfx::gui {

LinkTargets defaultLinkTargets() {
    return {guideUrl(QStringLiteral("guide-reading-bios.md")).toString(),
            guideUrl(QStringLiteral("guide-flashing-bios.md")).toString(),
            guideUrl(QStringLiteral("releases.md")).toString()};
}

SecondaryDialog::SecondaryDialog(const QString& objectName, const QString& caption, QRect geometry) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(false);
    // Closing the main window ends the program, whatever dialogs are still open.
    setAttribute(Qt::WA_QuitOnClose, false);
    QFont referenceFont = font();
    referenceFont.setPixelSize(11);
    setFont(referenceFont);
    // The design's texts at their places, on a page that scrolls where the screen is too small
    // for it.
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    m_page = new QWidget;
    scroll->setWidget(m_page);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    resize(geometry.size());
    move(geometry.topLeft());
}

void SecondaryDialog::showInFront() {
    // The platform's font may be wider than the design's: grow so that no text is cut off, on the
    // screen as far as it has room.
    const QRect content = m_page->childrenRect();
    const QSize page(content.right() + 16, content.bottom() + 16);
    m_page->setMinimumSize(page);
    if (!isVisible()) placeOnScreen(*this, size().expandedTo(page), pos());
    show();
    raise();
    activateWindow();
}

QWidget* SecondaryDialog::text(const QString& name, int x, int y, const QString& caption, bool bold) {
    auto* label = new QLabel(caption, m_page);
    label->setObjectName(name);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    label->move(x, y);
    label->adjustSize();
    return label;
}

QPushButton* SecondaryDialog::button(QRect geometry, const QString& caption, bool isDefault) {
    Button1 = new QPushButton(caption, m_page);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(geometry);
    Button1->setDefault(isDefault);
    Button1->setAutoDefault(isDefault);
    connect(Button1, &QPushButton::clicked, this, &QDialog::hide);
    return Button1;
}

TKydUrlLabel* SecondaryDialog::link(DesktopServices& services, const QString& name, QRect geometry,
                                    const QString& caption, const QString& url) {
    auto* label = new TKydUrlLabel(services, m_page);
    label->setObjectName(name);
    label->setText(caption);
    label->URL = url;
    // These links keep their link colour while hovered or pressed and change once visited.
    label->ALinkColor = label->LinkColor();
    label->HotColor = label->LinkColor();
    label->move(geometry.topLeft());
    label->resize(geometry.size().expandedTo(label->sizeHint()));
    return label;
}

TForm1::TForm1(DesktopServices& services, const LinkTargets& links)
    : SecondaryDialog(QStringLiteral("Form1"), QStringLiteral("How do I ?"), QRect(426, 245, 416, 519)) {
    text("StaticText1", 8, 24, "How do I get the BIOS from my card ?", true);
    text("StaticText4", 32, 56, "Use nvflash or a BIOS tool provided by your card vendor.");
    // The links follow their sentence, which may run past 260 in a wider font.
    const QWidget* lead1 = text("StaticText9", 32, 72, "There are several guides for this on the net, like");
    link(services, "KydUrlLabel1", QRect(std::max(260, lead1->geometry().right() + 4), 72, 16, 13), "this",
         links.readingGuide);
    text("StaticText2", 8, 104, "How do I get the modified BIOS on my card ?", true);
    text("StaticText5", 32, 128, "Use nvflash or a BIOS tool provided by your card vendor.");
    const QWidget* lead2 =
        text("StaticText10", 32, 144, "There are several guides for this on the net, like");
    link(services, "KydUrlLabel2", QRect(std::max(260, lead2->geometry().right() + 4), 144, 16, 13), "this",
         links.flashingGuide);
    text("StaticText3", 8, 176, "How do I ensure I dont screw up ?", true);
    text("StaticText6", 32, 200, "Dont change values which are obviously not read out correctly.");
    text("StaticText7", 32, 224, "Better dont change anything at all if the BIOS is not read correctly.");
    text("StaticText14", 32, 248, "There is a program named vgabios.exe which might let you test");
    text("StaticText15", 32, 272, " the BIOS temporary without flashing.");
    text("StaticText8", 32, 296, "Ask people on forums for help if you are unsure on some steps.");
    text("StaticText11", 32, 320,
         "Make sure your system wont crash while flashing the card. (Turn down OCing)");
    text("StaticText12", 8, 352, "How do I rescue my card if I screwed up ;( ?", true);
    text("StaticText13", 32, 376,
         "Try to flash back your backup BIOS. Use a PCI card or try to blindly flash.");
    text("StaticText16", 32, 400, "Search the net or ask in a forum for help.");
    button(QRect(144, 448, 113, 33), "k, thx!", true);
}

TForm2::TForm2(DesktopServices& services, const std::string& versionText, const LinkTargets& links)
    : SecondaryDialog(QStringLiteral("Form2"), QStringLiteral("About"), QRect(486, 332, 332, 420)) {
    text("StaticText1", 64, 16, "Zorvane FX Version" + QString::fromStdString(versionText), true);
    const QWidget* heading = text("StaticText2", 24, 64, "Should support :");
    // Two columns of cards; in a wider font each column starts after what stands to its left.
    const std::vector<std::pair<const char*, const char*>> first{
        {"StaticText3", "6800/U/GT/LE"}, {"StaticText12", "5950U"},    {"StaticText4", "5900/U/XT"},
        {"StaticText13", "5800/U"},      {"StaticText5", "5700/U/LE"}, {"StaticText10", "5600/U/XT"}};
    const std::vector<std::pair<const char*, const char*>> second{{"StaticText14", "5500"},
                                                                  {"StaticText11", "5200/U"},
                                                                  {"StaticText15", "Quadro FX1000"},
                                                                  {"StaticText16", "Quadro FX2000"},
                                                                  {"StaticText17", "Quadro FX3000"}};
    const int rows[] = {64, 83, 102, 120, 138, 155};
    const int firstX = std::max(112, heading->geometry().right() + 6);
    int secondX = firstX + 88;
    for (std::size_t i = 0; i < first.size(); ++i)
        secondX =
            std::max(secondX, text(first[i].first, firstX, rows[i], first[i].second)->geometry().right() + 8);
    for (std::size_t i = 0; i < second.size(); ++i)
        text(second[i].first, secondX, rows[i], second[i].second);
    text("StaticText6", 40, 184, "Attention BIOSes modded before by hand may not ");
    text("StaticText7", 40, 208, "show correct voltage displayed in editor.");
    text("StaticText8", 40, 232, "Best is to use a fresh BIOS.");
    text("StaticText9", 56, 280, "For new versions look here:");
    // The caption is the address itself: an empty URL makes a click open the caption.
    link(services, "KydUrlLabel2", QRect(56, 304, 222, 13), links.releasesPage, QString());
    button(QRect(104, 344, 105, 33), "Ok!", true);
}

TForm3::TForm3()
    : SecondaryDialog(QStringLiteral("Form3"), QStringLiteral("Warning"), QRect(456, 325, 361, 360)) {
    text("StaticText1", 16, 16, "In the previous mode your voltage settings were auto sensed.");
    text("StaticText2", 8, 40, "You could use the settings that were found in the BIOS, and maybe");
    text("StaticText3", 16, 64, "an additional higher one if your BIOS looked like it would support it.");
    text("StaticText4", 16, 104, "In this general mode you can select all Voltages that are common");
    text("StaticText5", 16, 128, "for your type of card.");
    text("StaticText7", 16, 152, "Problem is if your vendor does not use the common voltage scheme,");
    text("StaticText6", 16, 176, "the voltages you apply here may NOT be what your card really gets.");
    text("StaticText8", 56, 216, "Allows more Voltage Options for some cards.", true);
    text("StaticText9", 56, 240, "Less compatible. More risk.", true);
    button(QRect(112, 280, 105, 33), "Ok!", false);
}

TForm4::TForm4()
    : SecondaryDialog(QStringLiteral("Form4"), QStringLiteral("Warning"), QRect(488, 368, 286, 244)) {
    text("StaticText1", 24, 16, "Editing memory timings is experimental only for ");
    text("StaticText2", 24, 40, "advanced users.");
    text("StaticText3", 24, 72, "Changing values here is the fastest way to make ");
    text("StaticText4", 24, 96, "your card not boot again.");
    text("StaticText5", 104, 136, "Very risky", true);
    button(QRect(88, 168, 97, 33), "Ok!", false);
}

} // namespace zfx::gui
