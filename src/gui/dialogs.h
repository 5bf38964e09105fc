// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <string>

class QPushButton;

namespace zfx::gui {

class DesktopServices;
class TKydUrlLabel;

// Where the three links lead: the guides shipped in docs/ and the project's releases page.
struct LinkTargets {
    QString readingGuide;
    QString flashingGuide;
    QString releasesPage;
};
LinkTargets defaultLinkTargets();

// A secondary window: modeless, hidden (not destroyed) by its button or close box, brought to
// the front when shown again.
class SecondaryDialog : public QDialog {
  public:
    SecondaryDialog(const QString& objectName, const QString& caption, QRect geometry);
    void showInFront();
    QPushButton* Button1 = nullptr;

  protected:
    QWidget* text(const QString& name, int x, int y, const QString& caption, bool bold = false);
    QPushButton* button(QRect geometry, const QString& caption, bool isDefault);
    TKydUrlLabel* link(DesktopServices& services, const QString& name, QRect geometry, const QString& caption,
                       const QString& url);

  private:
    QWidget* m_page = nullptr; // the texts, the links and the button
};

class TForm1 final : public SecondaryDialog { // "How do I ?"
  public:
    // services opens the links.
    explicit TForm1(DesktopServices& services, const LinkTargets& links = defaultLinkTargets());
};

class TForm2 final : public SecondaryDialog { // "About"
  public:
    TForm2(DesktopServices& services, const std::string& versionText,
           const LinkTargets& links = defaultLinkTargets());
};

class TForm3 final : public SecondaryDialog { // general-mode warning
  public:
    TForm3();
};

class TForm4 final : public SecondaryDialog { // memory-timing warning
  public:
    TForm4();
};

} // namespace zfx::gui
