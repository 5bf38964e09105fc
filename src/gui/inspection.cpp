// SPDX-License-Identifier: MIT
#include "inspection.h"

#include "comparison_window.h"
#include "editor/settings.h"
#include "main_window.h"
#include "structure_window.h"

#include <QAction>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSaveFile>

namespace zfx::gui {

namespace {

const QString kSettingsFilter = QStringLiteral("Settings (*.json);;All files (*)");

std::optional<QString> chooseWithDialog(QWidget* parent, InspectedFile file) {
    QString path;
    switch (file) {
    case InspectedFile::CompareWith:
        path = QFileDialog::getOpenFileName(parent, QStringLiteral("Compare With"), {},
                                            QStringLiteral("BIOS images (*.rom *.bin);;All files (*)"));
        break;
    case InspectedFile::ExportSettings:
        path = QFileDialog::getSaveFileName(parent, QStringLiteral("Export Settings"), {}, kSettingsFilter);
        break;
    case InspectedFile::ApplySettings:
        path = QFileDialog::getOpenFileName(parent, QStringLiteral("Apply Settings"), {}, kSettingsFilter);
        break;
    }
    if (path.isEmpty()) return std::nullopt;
    return path;
}

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

InspectionDialogs qtInspectionDialogs() {
    return {chooseWithDialog,
            [](QWidget* parent, const QString& question, const QString& detail) {
                QMessageBox box(QMessageBox::Warning, QStringLiteral("Zorvane FX"), question,
                                QMessageBox::Yes | QMessageBox::No, parent);
                box.setInformativeText(detail);
                box.setDefaultButton(QMessageBox::No);
                return box.exec() == QMessageBox::Yes;
            },
            [](QWidget* parent, const QString& text, const QString& detail) {
                QMessageBox box(QMessageBox::Information, QStringLiteral("Zorvane FX"), text, QMessageBox::Ok,
                                parent);
                box.setInformativeText(detail);
                box.exec();
            }};
}

Inspection::Inspection(TarvEdit& window)
    : QObject(&window), m_window(window), m_dialogs(qtInspectionDialogs()) {
    addMenuEntries();
    // A box or list given the focus shows its bytes in the structure window.
    for (const ControlInfo& info : kControls)
        if (info.kind != ControlKind::CheckBox)
            if (auto* control = m_window.findChild<QWidget*>(
                    QString::fromUtf8(info.objectName.data(), static_cast<int>(info.objectName.size()))))
                control->installEventFilter(this);
}

Inspection::~Inspection() = default;

void Inspection::addMenuEntries() {
    // The entries go where the window's menus are found by name: the File menu's before Exit, the
    // View menu before the Info menu. A window without them gets them at the menu bar's end.
    auto* view = new QMenu(QStringLiteral("&View"), m_window.menuBar());
    view->setObjectName(QStringLiteral("View1"));
    auto* info = m_window.findChild<QMenu*>(QStringLiteral("Info1"));
    m_window.menuBar()->insertMenu(info ? info->menuAction() : nullptr, view);
    auto* file = m_window.findChild<QMenu*>(QStringLiteral("openfile"));
    if (!file) file = m_window.menuBar()->addMenu(QStringLiteral("&File"));
    auto* exit = m_window.findChild<QAction*>(QStringLiteral("Exit1"));
    auto entry = [&](QMenu* menu, const QString& text, const char* name, void (Inspection::*handler)()) {
        auto* action = new QAction(text, menu);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        menu->insertAction(menu == file ? exit : nullptr, action);
        return action;
    };
    entry(file, QStringLiteral("&Compare With..."), "CompareWith", &Inspection::compareWith);
    entry(file, QStringLiteral("&Export Settings..."), "ExportSettings", &Inspection::exportSettings);
    entry(file, QStringLiteral("&Apply Settings..."), "ApplySettings", &Inspection::applySettings);
    if (exit) file->insertSeparator(exit);
    entry(view, QStringLiteral("BIOS &Structure"), "BiosStructure", &Inspection::showStructure)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
}

void Inspection::showStructure() {
    if (!m_structure) m_structure = new StructureWindow(&m_window);
    m_structure->showModel(m_window.model());
    m_structure->show();
    m_structure->raise();
    m_structure->activateWindow();
}

void Inspection::refresh() {
    if (m_structure && m_structure->isVisible()) m_structure->showModel(m_window.model());
}

bool Inspection::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && m_structure && m_structure->isVisible())
        for (const ControlInfo& info : kControls)
            if (watched->objectName() ==
                QString::fromUtf8(info.objectName.data(), static_cast<int>(info.objectName.size())))
                if (const auto field = info.control.field()) m_structure->selectField(*field);
    return QObject::eventFilter(watched, event);
}

void Inspection::compareWith() {
    const EditorModel& model = m_window.model();
    if (model.analysis().image.empty()) {
        m_dialogs.tell(&m_window, QStringLiteral("Open a BIOS file first."), {});
        return;
    }
    const std::optional<QString> path = m_dialogs.chooseFile(&m_window, InspectedFile::CompareWith);
    if (!path) return;
    const ReadResult read = diskFiles().read(path->toStdString());
    if (!read.ok()) {
        m_dialogs.tell(&m_window, QStringLiteral("Cannot read ") + *path, QString::fromStdString(read.error));
        return;
    }
    if (!m_comparison) m_comparison = new ComparisonWindow(&m_window);
    m_comparison->compare(model.analysis(), analyseImage(BiosImage(read.bytes)), QFileInfo(*path).fileName());
    m_comparison->show();
    m_comparison->raise();
}

void Inspection::exportSettings() {
    const EditorModel& model = m_window.model();
    if (model.analysis().image.empty()) {
        m_dialogs.tell(&m_window, QStringLiteral("Open a BIOS file first."), {});
        return;
    }
    const std::optional<QString> path = m_dialogs.chooseFile(&m_window, InspectedFile::ExportSettings);
    if (!path) return;
    QSaveFile file(*path);
    const std::string text = settingsText(settingsShown(model));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) < 0 ||
        !file.commit())
        m_dialogs.tell(&m_window, QStringLiteral("Cannot write ") + *path, file.errorString());
}

void Inspection::applySettings() {
    EditorModel& model = m_window.model();
    if (model.analysis().image.empty()) {
        m_dialogs.tell(&m_window, QStringLiteral("Open a BIOS file first."), {});
        return;
    }
    const std::optional<QString> path = m_dialogs.chooseFile(&m_window, InspectedFile::ApplySettings);
    if (!path) return;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_dialogs.tell(&m_window, QStringLiteral("Cannot read ") + *path, file.errorString());
        return;
    }
    const SettingsRead read = readSettings(file.readAll().toStdString());
    if (!read.settings) {
        m_dialogs.tell(&m_window, QStringLiteral("Cannot apply ") + *path,
                       QString::fromStdString(read.error));
        return;
    }
    if (const std::optional<std::string> other = otherDevice(*read.settings, model))
        if (!m_dialogs.ask(&m_window,
                           QStringLiteral("These settings are for another card. Apply them anyway?"),
                           QString::fromStdString(*other)))
            return;
    std::optional<std::string> refused;
    m_window.runAction([&] { refused = zfx::applySettings(model, *read.settings); });
    // Nothing is saved here: the window shows the values as unsaved edits, and what a save would
    // change.
    if (refused)
        m_dialogs.tell(&m_window, QStringLiteral("Some settings could not be applied."),
                       QString::fromStdString(*refused));
    else
        m_dialogs.tell(&m_window, QStringLiteral("Settings applied. Save BIOS writes these changes:"),
                       plannedChanges(model));
}

} // namespace zfx::gui
