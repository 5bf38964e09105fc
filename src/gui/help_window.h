// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QUrl>

class QTextBrowser;

namespace zfx::gui {

class DesktopServices;

// The folder of the guides: share/doc/zorvane-fx beside the program's bin folder (wherever the
// installation was moved), or, when the program runs from a build tree, the docs folder of the
// sources the tree lies in. Empty when neither is there.
QString guidesFolder();
// A guide's address in that folder (where it would be installed when there is none).
QUrl guideUrl(const QString& name);

// The guides, rendered from their Markdown with their pictures, inside the program. Links between
// guides stay here; web addresses go to the browser, through services.
class HelpWindow final : public QDialog {
  public:
    explicit HelpWindow(DesktopServices& services, QWidget* parent = nullptr);
    // Shows a guide (the list of guides when url is empty) and brings the window to the front.
    void showGuide(const QUrl& url = {});
    QTextBrowser* browser() const { return m_browser; }

  private:
    void showIndex();
    DesktopServices& m_services;
    QTextBrowser* m_browser = nullptr;
};

// Whether a link leads to one of the guides, which the help window shows.
bool isGuide(const QUrl& url);

} // namespace zfx::gui
