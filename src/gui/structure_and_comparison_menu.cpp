// SPDX-License-Identifier: MIT
#include "structure_and_comparison_menu.h"

#include "comparison_window.h"
#include "main_window.h"
#include "settings_files.h"
#include "structure_window.h"

#include <QAction>
#include <QEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

namespace zfx::gui {

std::optional<QString> chooseFileForOpenImage(TarvEdit& window, DesktopServices& services, ChosenFile file,
                                              const QString& proposed) {
    if (window.model().analysis().image.empty()) {
        services.tell(&window, QStringLiteral("Open a BIOS file first."), {});
        return std::nullopt;
    }
    return services.chooseFile(&window, file, proposed);
}

StructureAndComparisonMenu::StructureAndComparisonMenu(TarvEdit& window, DesktopServices& services)
    : QObject(&window), m_window(window), m_services(services) {
    addMenuEntries();
    // A box or list given the focus shows its bytes in the structure window.
    for (const ControlInfo& info : kControls)
        if (info.kind != ControlKind::CheckBox)
            if (auto* control = m_window.findChild<QWidget*>(
                    QString::fromUtf8(info.objectName.data(), static_cast<int>(info.objectName.size()))))
                control->installEventFilter(this);
}

StructureAndComparisonMenu::~StructureAndComparisonMenu() = default;

void StructureAndComparisonMenu::addMenuEntries() {
    // The entries go where the window's menus are found by name: the File menu's before Exit, the
    // View menu before the Info menu. A window without them gets them at the menu bar's end.
    auto* view = new QMenu(QStringLiteral("&View"), m_window.menuBar());
    view->setObjectName(QStringLiteral("View1"));
    auto* info = m_window.findChild<QMenu*>(QStringLiteral("Info1"));
    m_window.menuBar()->insertMenu(info ? info->menuAction() : nullptr, view);
    auto* file = m_window.findChild<QMenu*>(QStringLiteral("openfile"));
    if (!file) file = m_window.menuBar()->addMenu(QStringLiteral("&File"));
    auto* exit = m_window.findChild<QAction*>(QStringLiteral("Exit1"));
    auto entry = [&](QMenu* menu, const QString& text, const char* name, auto handler) {
        auto* action = new QAction(text, menu);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        menu->insertAction(menu == file ? exit : nullptr, action);
        return action;
    };
    entry(file, QStringLiteral("&Compare With..."), "CompareWith", [this] { compareWith(); });
    entry(file, QStringLiteral("&Export Settings..."), "ExportSettings",
          [this] { exportSettingsFile(m_window, m_services); });
    entry(file, QStringLiteral("&Apply Settings..."), "ApplySettings",
          [this] { applySettingsFile(m_window, m_services); });
    if (exit) file->insertSeparator(exit);
    entry(view, QStringLiteral("BIOS &Structure"), "BiosStructure", [this] {
        showStructure();
    })->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
}

void StructureAndComparisonMenu::showStructure() {
    if (!m_structure) m_structure = new StructureWindow(&m_window);
    m_structure->showModel(m_window.model());
    m_structure->show();
    m_structure->raise();
    m_structure->activateWindow();
}

void StructureAndComparisonMenu::refresh() {
    if (m_structure && m_structure->isVisible()) m_structure->showModel(m_window.model());
}

bool StructureAndComparisonMenu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && m_structure && m_structure->isVisible())
        for (const ControlInfo& info : kControls)
            if (watched->objectName() ==
                QString::fromUtf8(info.objectName.data(), static_cast<int>(info.objectName.size())))
                if (const auto field = info.control.field()) m_structure->selectField(*field);
    return QObject::eventFilter(watched, event);
}

void StructureAndComparisonMenu::compareWith() {
    const std::optional<QString> path =
        chooseFileForOpenImage(m_window, m_services, ChosenFile::CompareWith, QString());
    if (!path) return;
    const EditorModel& model = m_window.model();
    const ReadResult read = diskFiles().read(path->toStdString());
    if (!read.ok()) {
        m_services.tell(&m_window, QStringLiteral("Cannot read ") + *path,
                        QString::fromStdString(read.error));
        return;
    }
    if (!m_comparison) m_comparison = new ComparisonWindow(&m_window);
    m_comparison->compare(model.analysis(),
                          QFileInfo(QString::fromStdString(model.documentPath())).fileName(),
                          analyseImage(BiosImage(read.bytes)), QFileInfo(*path).fileName());
    m_comparison->show();
    m_comparison->raise();
}

} // namespace zfx::gui
