// SPDX-License-Identifier: MIT
#include "help_window.h"

#include "desktop_services.h"
#include "window_place.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace zfx::gui {

namespace {

QStringList guideFolderCandidates() {
    const QDir programDir(QCoreApplication::applicationDirPath());
    QStringList candidates{QDir::cleanPath(programDir.filePath(QStringLiteral("../share/doc/zorvane-fx")))};
    QDir up = programDir;
    for (int level = 0; level < 6 && up.cdUp(); ++level)
        candidates << up.filePath(QStringLiteral("docs"));
    return candidates;
}

// A guide's title: its first heading.
QString titleOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return QFileInfo(path).baseName();
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1String("# "))) return line.mid(2);
    }
    return QFileInfo(path).baseName();
}

} // namespace

QString guidesFolder() {
    for (const QString& folder : guideFolderCandidates())
        if (QFileInfo::exists(QDir(folder).filePath(QStringLiteral("guide-reading-bios.md"))))
            return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    return {};
}

QUrl guideUrl(const QString& name) {
    const QString folder = guidesFolder();
    return QUrl::fromLocalFile(
        QDir::cleanPath(QDir(folder.isEmpty() ? guideFolderCandidates().front() : folder).filePath(name)));
}

bool isGuide(const QUrl& url) {
    return url.isLocalFile() && url.toLocalFile().endsWith(QLatin1String(".md"), Qt::CaseInsensitive);
}

HelpWindow::HelpWindow(DesktopServices& services, QWidget* parent) : QDialog(parent), m_services(services) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Zorvane FX guides"));
    setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(this);
    auto* navigation = new QHBoxLayout;
    auto* back = new QPushButton(QStringLiteral("Back"), this);
    auto* contents = new QPushButton(QStringLiteral("Contents"), this);
    navigation->addWidget(back);
    navigation->addWidget(contents);
    navigation->addStretch();
    layout->addLayout(navigation);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpText"));
    // Links between guides open here; a web address goes to the browser.
    m_browser->setOpenLinks(false);
    connect(m_browser, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        const QUrl target = m_browser->source().resolved(url);
        if (isGuide(target))
            m_browser->setSource(target, QTextDocument::MarkdownResource);
        else if (target.isLocalFile() && url.hasFragment() && url.path().isEmpty())
            m_browser->scrollToAnchor(url.fragment());
        else
            m_services.openLink(url);
    });
    layout->addWidget(m_browser);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    layout->addWidget(buttons);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    back->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, [this] { showIndex(); });
    placeOnScreen(*this, QSize(760, 620));
}

void HelpWindow::showIndex() {
    const QString folder = guidesFolder();
    QString html = QStringLiteral("<h1>Zorvane FX guides</h1>");
    if (folder.isEmpty()) {
        html += QStringLiteral("<p>The guides are not installed: they belong in %1.</p>")
                    .arg(guideFolderCandidates().front().toHtmlEscaped());
    } else {
        html += QStringLiteral("<ul>");
        const QDir dir(folder);
        for (const QString& name : dir.entryList({QStringLiteral("guide-*.md")}, QDir::Files, QDir::Name))
            html += QStringLiteral("<li><a href=\"%1\">%2</a></li>")
                        .arg(QUrl::fromLocalFile(dir.filePath(name)).toString().toHtmlEscaped(),
                             titleOf(dir.filePath(name)).toHtmlEscaped());
        html += QStringLiteral("</ul>");
    }
    m_browser->setHtml(html);
}

void HelpWindow::showGuide(const QUrl& url) {
    if (url.isEmpty() || !QFileInfo::exists(url.toLocalFile()))
        showIndex();
    else
        m_browser->setSource(url, QTextDocument::MarkdownResource);
    show();
    raise();
    activateWindow();
}

} // namespace zfx::gui
