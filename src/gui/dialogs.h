// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <string>

class QPushButton;

namespace zfx::gui {

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
    TKydUrlLabel* link(const QString& name, QRect geometry, const QString& caption, const QString& url);
};

class TForm1 final : public SecondaryDialog { // "How do I ?"
  public:
    explicit TForm1(const LinkTargets& links = defaultLinkTargets());
};

class TForm2 final : public SecondaryDialog { // "About"
  public:
    explicit TForm2(const std::string& versionText, const LinkTargets& links = defaultLinkTargets());
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
