// SPDX-License-Identifier: MIT
#include "editor_windows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zorvane-fx"));
    QApplication::setApplicationVersion(QStringLiteral("1.4"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Zorvane FX: edit the video BIOS images of GeForce FX, GeForce 6800 "
                       "and Quadro FX cards."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("ROM image to open at start"),
                                 QStringLiteral("[FILE]"));
    parser.process(app);

    zfx::gui::QtDesktopServices services;
    zfx::gui::EditorWindows windows(services);
    windows.TarvEdit.show();
    if (!parser.positionalArguments().isEmpty())
        windows.TarvEdit.openFile(parser.positionalArguments().constFirst());
    // For the start-up benchmark: leave as soon as the window has been shown.
    if (qEnvironmentVariableIsSet("ZFX_EXIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
