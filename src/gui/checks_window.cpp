// SPDX-License-Identifier: MIT
#include "checks_window.h"

#include "window_place.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace zfx::gui {

ChecksWindow::ChecksWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ChecksWindow"));
    setWindowTitle(QStringLiteral("Image and structure checks"));
    auto* layout = new QVBoxLayout(this);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("ChecksText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    layout->addWidget(m_text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    layout->addWidget(buttons);
    placeOnScreen(*this, QSize(640, 420));
}

void ChecksWindow::showReport(const std::string& report) {
    m_text->setPlainText(report.empty() ? QStringLiteral("No image is open.")
                                        : QString::fromStdString(report));
    show();
    raise();
    activateWindow();
}

} // namespace zfx::gui
