// SPDX-License-Identifier: MIT
#include "desktop_services.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace zfx::gui {

QStringList biosFileFilters() {
    return {QStringLiteral("Nvidia BIOS Files (.bin) (*.bin)"),
            QStringLiteral("Nvidia BIOS Files (.rom) (*.rom)")};
}

void QtDesktopServices::showMessage(QWidget* parent, const Message& message) {
    QMessageBox box(message.isError ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QStringLiteral("Zorvane FX"), QString::fromStdString(message.text), QMessageBox::Ok,
                    parent);
    if (!message.detail.empty()) box.setInformativeText(QString::fromStdString(message.detail));
    box.exec();
}

std::optional<QString> QtDesktopServices::chooseOpenFile(QWidget* parent) {
    // A new dialog every time, starting in the current folder.
    QFileDialog dialog(parent, QString(), QDir::currentPath());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(biosFileFilters());
    dialog.selectNameFilter(biosFileFilters().at(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<SaveChoice> QtDesktopServices::chooseSaveFile(QWidget* parent) {
    // The ordinary save dialog: new names are allowed and replacing a file is confirmed.
    QFileDialog dialog(parent, QString(), QDir::currentPath());
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(biosFileFilters());
    dialog.selectNameFilter(biosFileFilters().at(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const int entry =
        dialog.selectedNameFilter() == biosFileFilters().at(0) ? kBinFilterEntry : kRomFilterEntry;
    return SaveChoice{dialog.selectedFiles().constFirst().toStdString(), entry};
}

} // namespace zfx::gui
