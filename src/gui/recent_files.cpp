// SPDX-License-Identifier: MIT
#include "recent_files.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace zfx::gui {

namespace {

constexpr int kRecentFiles = 8;
const QString kRecentKey = QStringLiteral("files/recent");
const QString kLastFolderKey = QStringLiteral("files/lastFolder");

} // namespace

RecentFiles::RecentFiles(QSettings& settings, QMenu& menu, std::function<void(const QString& path)> open)
    : m_settings(settings), m_menu(menu), m_open(std::move(open)) {
    updateMenu();
}

QStringList RecentFiles::files() const {
    return m_settings.value(kRecentKey).toStringList();
}

void RecentFiles::remember(const QString& path) {
    QStringList recent = files();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kRecentFiles)
        recent.removeLast();
    m_settings.setValue(kRecentKey, recent);
    rememberFolderOf(path);
    updateMenu();
}

void RecentFiles::rememberFolderOf(const QString& path) {
    m_settings.setValue(kLastFolderKey, QFileInfo(path).absolutePath());
}

void RecentFiles::forget(const QString& path) {
    QStringList recent = files();
    recent.removeAll(path);
    m_settings.setValue(kRecentKey, recent);
    updateMenu();
}

QString RecentFiles::startFolder(const std::string& document) const {
    QString last = m_settings.value(kLastFolderKey).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    if (!document.empty()) return QFileInfo(QString::fromStdString(document)).absolutePath();
    return QDir::homePath();
}

void RecentFiles::updateMenu() {
    m_menu.clear();
    const QStringList recent = files();
    for (int i = 0; i < recent.size(); ++i) {
        // "&1 card.rom", the folder in the tool tip; a name's "&" is no mnemonic.
        const QString name = QFileInfo(recent[i]).fileName().replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* entry = m_menu.addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name), &m_menu,
                                          [this, path = recent[i]] {
                                              // A file that is gone leaves the list; the open says why it
                                              // cannot be read.
                                              if (!QFileInfo::exists(path)) forget(path);
                                              m_open(path);
                                          });
        entry->setToolTip(recent[i]);
        entry->setStatusTip(recent[i]);
    }
    m_menu.addSeparator();
    QAction* clear = m_menu.addAction(QStringLiteral("&Clear"), &m_menu, [this] {
        m_settings.remove(kRecentKey);
        updateMenu();
    });
    clear->setObjectName(QStringLiteral("ClearRecent"));
    clear->setEnabled(!recent.isEmpty());
    m_menu.setEnabled(!recent.isEmpty());
}

} // namespace zfx::gui
