// SPDX-License-Identifier: MIT
#include "settings_files.h"

#include "editor/settings.h"
#include "main_window.h"

#include <QFile>
#include <QSaveFile>

namespace zfx::gui {

namespace {

// The change list a save of the window's values would print, or why they cannot be saved.
QString plannedChanges(const EditorModel& model) {
    const SavePlanResult planned = model.plannedSave();
    if (!planned.plan) return QString::fromStdString(refusalText(*planned.refused));
    const ImageComparison compared =
        compareImages(model.analysis(), planned.plan->after, planned.plan->checksumOffset);
    QString lines;
    for (const FieldChange& change : compared.fields)
        lines += QString::fromStdString(changeLine(change)) + QLatin1Char('\n');
    if (lines.isEmpty())
        return QStringLiteral("The image holds these values already: a save changes nothing.");
    return lines + QString::fromStdString(checksumLine(compared.checksum));
}

} // namespace

void exportSettingsFile(TarvEdit& window, DesktopServices& services) {
    const std::optional<QString> path = chooseFileForOpenImage(window, services, ChosenFile::ExportSettings);
    if (!path) return;
    QSaveFile file(*path);
    const std::string text = settingsText(settingsShown(window.model()));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) < 0 ||
        !file.commit())
        services.tell(&window, QStringLiteral("Cannot write ") + *path, file.errorString());
}

void applySettingsFile(TarvEdit& window, DesktopServices& services) {
    const std::optional<QString> path = chooseFileForOpenImage(window, services, ChosenFile::ApplySettings);
    if (!path) return;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly)) {
        services.tell(&window, QStringLiteral("Cannot read ") + *path, file.errorString());
        return;
    }
    const SettingsRead read = readSettings(file.readAll().toStdString());
    if (!read.settings) {
        services.tell(&window, QStringLiteral("Cannot apply ") + *path, QString::fromStdString(read.error));
        return;
    }
    EditorModel& model = window.model();
    if (const std::optional<std::string> other = otherDevice(*read.settings, model))
        if (!services.ask(&window, QStringLiteral("These settings are for another card. Apply them anyway?"),
                          QString::fromStdString(*other)))
            return;
    std::optional<std::string> refused;
    window.runAction([&] { refused = zfx::applySettings(model, *read.settings); });
    // Nothing is saved here: the window shows the values as unsaved edits, and what a save would
    // change.
    if (refused)
        services.tell(&window, QStringLiteral("Some settings could not be applied."),
                      QString::fromStdString(*refused));
    else
        services.tell(&window, QStringLiteral("Settings applied. Save BIOS writes these changes:"),
                      plannedChanges(model));
}

} // namespace zfx::gui
