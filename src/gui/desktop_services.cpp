// SPDX-License-Identifier: MIT
#include "desktop_services.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include <memory>

namespace zfx::gui {

QStringList biosFileFilters() {
    return {QStringLiteral("ROM images (*.rom *.bin)"), QStringLiteral("Nvidia BIOS Files (.bin) (*.bin)"),
            QStringLiteral("Nvidia BIOS Files (.rom) (*.rom)"), QStringLiteral("All files (*)")};
}

namespace {

// A box whose informative text is a list of lines ("3D core clock: 475 -> 500 MHz at 2075h") is
// made wide enough that a line reads as one.
void setDetail(QMessageBox& box, const QString& detail) {
    if (detail.isEmpty()) return;
    box.setInformativeText(detail);
    if (!detail.contains(QLatin1Char('\n'))) return;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(460, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(),
                      0, 1, grid->columnCount());
}

} // namespace

void QtDesktopServices::showMessage(QWidget* parent, const Message& message) {
    QMessageBox box(message.isError ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QStringLiteral("Zorvane FX"), QString::fromStdString(message.text), QMessageBox::Ok,
                    parent);
    setDetail(box, QString::fromStdString(message.detail));
    box.exec();
}

UnsavedChanges QtDesktopServices::askToSaveChanges(QWidget* parent, const QString& question) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Zorvane FX"), question,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save:
        return UnsavedChanges::Save;
    case QMessageBox::Discard:
        return UnsavedChanges::Discard;
    default:
        return UnsavedChanges::Cancel;
    }
}

bool QtDesktopServices::confirmSave(QWidget* parent, const QString& question, const QString& detail) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Zorvane FX"), question,
                    QMessageBox::Save | QMessageBox::Cancel, parent);
    setDetail(box, detail + QStringLiteral("\n"));
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Save;
}

void QtDesktopServices::reportUnopenedLink(QWidget* parent, const QString& address) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Zorvane FX"),
                    QStringLiteral("No program could open this link. Its address:"), QMessageBox::Ok, parent);
    box.setInformativeText(address);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box.exec();
}

namespace {

// A new dialog every time, starting where the window says, the ROM images preselected.
std::unique_ptr<QFileDialog> biosFileDialog(QWidget* parent, QFileDialog::AcceptMode mode,
                                            const QString& start) {
    auto dialog = std::make_unique<QFileDialog>(parent, QString(), start);
    dialog->setAcceptMode(mode);
    // Open takes existing files only; save allows new names and confirms replacing a file.
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog->setNameFilters(biosFileFilters());
    dialog->selectNameFilter(biosFileFilters().at(0));
    return dialog;
}

} // namespace

std::optional<QString> QtDesktopServices::chooseOpenFile(QWidget* parent, const QString& folder) {
    const auto dialog = biosFileDialog(parent, QFileDialog::AcceptOpen, folder);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
    return dialog->selectedFiles().constFirst();
}

std::optional<SaveChoice> QtDesktopServices::chooseSaveFile(QWidget* parent, const QString& proposed) {
    const auto dialog = biosFileDialog(parent, QFileDialog::AcceptSave, QFileInfo(proposed).absolutePath());
    if (!proposed.isEmpty()) dialog->selectFile(proposed);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return std::nullopt;
    // The name rule: a name without .rom or .bin gets the chosen entry's; .bin only from its own.
    const int entry =
        dialog->selectedNameFilter() == biosFileFilters().at(1) ? kBinFilterEntry : kRomFilterEntry;
    return SaveChoice{dialog->selectedFiles().constFirst().toStdString(), entry};
}

std::optional<QString> QtDesktopServices::chooseFile(QWidget* parent, ChosenFile file,
                                                     const QString& proposed) {
    const QString settingsFilter = QStringLiteral("Settings (*.json);;All files (*)");
    QString path;
    switch (file) {
    case ChosenFile::CompareWith:
        path = QFileDialog::getOpenFileName(parent, QStringLiteral("Compare With"), proposed,
                                            QStringLiteral("BIOS images (*.rom *.bin);;All files (*)"));
        break;
    case ChosenFile::ExportSettings:
        path =
            QFileDialog::getSaveFileName(parent, QStringLiteral("Export Settings"), proposed, settingsFilter);
        break;
    case ChosenFile::ApplySettings:
        path =
            QFileDialog::getOpenFileName(parent, QStringLiteral("Apply Settings"), proposed, settingsFilter);
        break;
    }
    if (path.isEmpty()) return std::nullopt;
    return path;
}

bool QtDesktopServices::ask(QWidget* parent, const QString& question, const QString& detail) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Zorvane FX"), question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setInformativeText(detail);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtDesktopServices::tell(QWidget* parent, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Zorvane FX"), text, QMessageBox::Ok, parent);
    box.setInformativeText(detail);
    box.exec();
}

bool QtDesktopServices::openLink(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

std::optional<QString> DesktopServices::chooseFile(QWidget*, ChosenFile, const QString&) {
    return std::nullopt;
}

bool DesktopServices::ask(QWidget*, const QString&, const QString&) {
    return false;
}

void DesktopServices::tell(QWidget*, const QString&, const QString&) {}

bool DesktopServices::openLink(const QUrl&) {
    return false;
}

void DesktopServices::reportUnopenedLink(QWidget*, const QString&) {}

} // namespace zfx::gui
