// SPDX-License-Identifier: MIT
#include "levels_table.h"

#include "structure/level_places.h"

namespace zfx::gui {

namespace {

QString cell(const std::string& text) {
    return QStringLiteral("<td style=\"padding-right:12px\">%1</td>")
        .arg(QString::fromStdString(text).toHtmlEscaped());
}

} // namespace

LevelsTable levelsTable(const EditorModel::LevelsPreview& preview) {
    QString table =
        QStringLiteral("<b>%1</b><table cellspacing=\"0\" cellpadding=\"0\"><tr style=\"color:gray\">")
            .arg(QString::fromStdString(preview.heading).toHtmlEscaped());
    for (const char* caption : {"Level", "Core", "Memory", "Voltage"})
        table += cell(caption);
    table += QStringLiteral("</tr>");
    QString lines = QString::fromStdString(preview.heading);
    for (const LevelSummary& level : preview.levels) {
        const std::string memory =
            level.memory +
            (level.copyCount > 1 ? " \u00D7" + std::to_string(level.copyCount) : std::string());
        table += QStringLiteral("<tr>") + cell(level.id) + cell(level.core) + cell(memory) +
                 cell(level.voltage) + QStringLiteral("</tr>");
        lines += QStringLiteral("\n") + QString::fromStdString(levelText(level));
    }
    return {table + QStringLiteral("</table>"),
            lines + QStringLiteral("\n\nLevel, core clock, memory clock and its copies (one per "
                                   "memory configuration), voltage. The card picks a level by its "
                                   "load; while you edit, the levels show what a save would write.")};
}

} // namespace zfx::gui
