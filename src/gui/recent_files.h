// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

#include <functional>
#include <string>

class QMenu;
class QSettings;

namespace zfx::gui {

// The files opened or saved last, newest first and at most eight, and the last folder a file
// dialog was left in, both kept in the settings. It fills File > Open Recent with them.
class RecentFiles {
  public:
    // open runs for an entry the user picks.
    RecentFiles(QSettings& settings, QMenu& menu, std::function<void(const QString& path)> open);

    QStringList files() const;
    // Keeps a file opened or saved at the top of the list, and its folder as the last.
    void remember(const QString& path);
    // The folder of a file a dialog gave becomes the last.
    void rememberFolderOf(const QString& path);
    // The folder the file dialogs start in: the last one used, or the open document's.
    QString startFolder(const std::string& document) const;

  private:
    void updateMenu();
    void forget(const QString& path);

    QSettings& m_settings;
    QMenu& m_menu;
    std::function<void(const QString& path)> m_open;
};

} // namespace zfx::gui
