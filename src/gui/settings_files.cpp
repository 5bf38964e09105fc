// SPDX-License-Identifier: MIT
#include "settings_files.h"

#include "editor/settings.h"
#include "main_window.h"

#include <QDir>
#include <QFileInfo>

#include <cstdint>
#include <span>

namespace zfx::gui {

namespace {

// The change list a save of the window's values would print, or why they cannot be saved.
QString plannedChanges(const EditorModel& model) {
    const SavePlanResult& planned = model.plannedSave();
    if (!planned.plan) return QString::fromStdString(refusalText(*planned.refused));
    QString lines;
    for (const FieldChange& change : planned.plan->changes)
        lines += QString::fromStdString(changeLine(change)) + QLatin1Char('\n');
    if (lines.isEmpty())
        return QStringLiteral("The image holds these values already: a save changes nothing.");
    return lines + QString::fromStdString(checksumLine(planned.plan->checksumChange));
}

// The window's values, and the card's timings where the window does not show them: a second model
// opened on the same bytes reads them, so the user's window stays as it is.
Settings settingsToExport(const EditorModel& model) {
    Settings settings = settingsShown(model);
    if (model.form().check(Control::TimingEdit).ticked) return settings;
    SilentHost host;
    EditorModel reader(host);
    reader.loadImage(model.analysis().image.bytes(), model.documentPath());
    reader.setChecked(Control::TimingEdit, true);
    const Settings read = settingsShown(reader);
    for (const Control box : kTimingBoxes)
        if (const auto value = read.values.boxes.find(box); value != read.values.boxes.end())
            settings.values.boxes[box] = value->second;
    return settings;
}

// NAME-settings.json beside the open file.
QString proposedSettingsPath(const EditorModel& model) {
    const QFileInfo document(QString::fromStdString(model.documentPath()));
    return document.dir().filePath(document.completeBaseName() + QStringLiteral("-settings.json"));
}

} // namespace

void exportSettingsFile(TarvEdit& window, DesktopServices& services) {
    std::optional<QString> path = chooseFileForOpenImage(window, services, ChosenFile::ExportSettings,
                                                         proposedSettingsPath(window.model()));
    if (!path) return;
    if (QFileInfo(*path).suffix().isEmpty()) *path += QStringLiteral(".json");
    // Written as images are: atomically, through the file layer.
    const std::string text = settingsText(settingsToExport(window.model()));
    const WriteResult written = diskFiles().write(
        path->toStdString(), std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (!written.ok())
        services.tell(&window, QStringLiteral("Cannot write ") + *path,
                      QString::fromStdString(written.error));
}

void applySettingsFile(TarvEdit& window, DesktopServices& services) {
    const std::optional<QString> path =
        chooseFileForOpenImage(window, services, ChosenFile::ApplySettings, QString());
    if (!path) return;
    const SettingsFileRead read = readSettingsFile(diskFiles(), path->toStdString());
    if (!read.settings) {
        services.tell(&window,
                      (read.unreadable ? QStringLiteral("Cannot read ") : QStringLiteral("Cannot apply ")) +
                          *path,
                      QString::fromStdString(read.error));
        return;
    }
    EditorModel& model = window.model();
    SettingsApplied applied;
    window.runAction([&] {
        applied = zfx::applySettingsFile(model, *read.settings, [&](const std::string& why) {
            return services.ask(&window,
                                QStringLiteral("These settings are for another card. Apply them anyway?"),
                                QString::fromStdString(why));
        });
    });
    if (applied.declined) return;
    // Nothing is saved here: the window shows the values as unsaved edits, and what a save would
    // change.
    if (applied.refused)
        services.tell(&window, QStringLiteral("Some settings could not be applied."),
                      QString::fromStdString(*applied.refused));
    else
        services.tell(&window, QStringLiteral("Settings applied. Save BIOS writes these changes:"),
                      plannedChanges(model));
}

} // namespace zfx::gui
