// SPDX-License-Identifier: MIT
#include "editor_windows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <csignal>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

void describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Zorvane FX: edit the video BIOS images of GeForce FX, GeForce 6800 "
                       "and Quadro FX cards."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(
        QStringLiteral("guides"), QStringLiteral("Print the guides that the Help and About windows open.")));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("ROM image to open at start"),
                                 QStringLiteral("[FILE]"));
}

// --help and --version need no display.
bool onlyAsksForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* flag : {"-h", "--help", "-v", "--version", "--help-all", "--guides"})
            if (std::strcmp(argv[i], flag) == 0) return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // Past a file-size limit a save's write fails with EFBIG and is reported, instead of the signal
    // ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication::setApplicationName(QStringLiteral("zorvane-fx"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZFX_VERSION));
    if (onlyAsksForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCommandLineParser parser;
        describe(parser);
        parser.process(app);
        if (parser.isSet(QStringLiteral("guides"))) {
            const zfx::gui::LinkTargets links = zfx::gui::defaultLinkTargets();
            for (const QString& link : {links.readingGuide, links.flashingGuide, links.releasesPage})
                std::printf("%s\n", qPrintable(link));
        }
        return 0;
    }
    QApplication app(argc, argv);
    QCommandLineParser parser;
    describe(parser);
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
