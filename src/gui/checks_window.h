// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <string>

class QPlainTextEdit;

namespace zfx::gui {

// The window that lists every check of the open image, readable and selectable; the Info menu
// and a click on the status bar show it.
class ChecksWindow final : public QDialog {
  public:
    explicit ChecksWindow(QWidget* parent);
    // Shows the report (an empty one: no image is open) and brings the window to the front.
    void showReport(const std::string& report);

  private:
    QPlainTextEdit* m_text = nullptr;
};

} // namespace zfx::gui
