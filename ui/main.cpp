// Dialoon: a German phrase player that rests at the top edge of the screen.
#include "app/CommandLine.h"
#include "app/SettingsStore.h"
#include "base/BuildInfo.h"
#include "platform/posix/SessionBus.h"
#include "platform/posix/TerminationWatch.h"
#include "platform/x11/DisplayProbe.h"
#include "platform/x11/QtPlatform.h"
#include "ui/Application.h"

#include <QApplication>
#include <QFont>

#include <cstdio>

int main(int argc, char* argv[])
{
    dialoon::TerminationWatch::ignoreBrokenPipes();
    // Answered before any window, lock or settings file exists, so that they work without a display.
    if (const auto answer = dialoon::CommandLine::answer({argv + 1, argv + argc})) {
        std::fputs(answer->out.c_str(), stdout);
        std::fputs(answer->err.c_str(), stderr);
        return answer->exitCode;
    }
    // The strip places itself and follows the pointer, which a Wayland session allows only through
    // XWayland: the program is an X11 program whatever platform the environment names (a Wayland one is
    // a common tweak).
    qputenv("QT_QPA_PLATFORM", "xcb");
    if (!dialoon::DisplayProbe::graphicalDesktopReachable()) {
        std::fputs(dialoon::CommandLine::noDesktopMessage().c_str(), stderr);
        return dialoon::CommandLine::kNoDesktop;
    }
    // Before any thread starts: it may set the environment.
    dialoon::SessionBus::skipHopelessLaunch();
    // Our windows are small: sending their pixels over the X connection costs less than sharing memory
    // with the server, which takes a round trip to the server and a wake-up of Qt's X thread per frame
    // (speaking: 14 wake-ups a second instead of 36).
    if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(dialoon::BuildInfo::kTitle));
    QApplication::setApplicationVersion(QString::fromLatin1(dialoon::BuildInfo::kVersion));
    QApplication::setQuitOnLastWindowClosed(false);
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));

    // The composition root: the real platform and the user's own store.
    const QString file = QString::fromStdString(dialoon::CommandLine::fileToOpen({argv + 1, argv + argc}));
    dialoon::QtPlatform platform;
    if (!platform.claimSingleInstance()) {
        // The running copy opens the file itself.
        if (platform.activateRunningInstance(file)) return 0;
        // Another copy holds the lock but did not answer: this start did not do what was asked.
        std::fprintf(
            stderr, "%s: another copy is running but did not answer; it could not be brought to the front.\n",
            dialoon::BuildInfo::kTitle);
        return 1;
    }
    dialoon::SettingsStore store;
    dialoon::Application dialoon(platform, store);
    platform.setActivationHandler([&dialoon](const QString& fileToOpen) {
        dialoon.bringToFront();
        if (!fileToOpen.isEmpty()) dialoon.openFile(fileToOpen);
    });
    dialoon.start();
    if (!file.isEmpty()) dialoon.openFile(file);
    return app.exec();
}
