// Dialoon: a German phrase player that rests at the top edge of the screen.
#include "app/CommandLine.h"
#include "platform/BuildInfo.h"
#include "platform/DisplayProbe.h"
#include "platform/SingleInstance.h"
#include "ui/Application.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Answered before any window, lock or settings file exists, so that they work without a display.
    if (const auto answer = dialoon::CommandLine::answer({argv + 1, argv + argc})) {
        std::fputs(answer->out.c_str(), stdout);
        std::fputs(answer->err.c_str(), stderr);
        return answer->exitCode;
    }
    if (!dialoon::DisplayProbe::graphicalDesktopReachable()) {
        std::fputs(dialoon::CommandLine::noDesktopMessage().c_str(), stderr);
        return dialoon::CommandLine::kNoDesktop;
    }
    // The strip places itself and reads the cursor, which a Wayland session allows only through XWayland.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(dialoon::BuildInfo::kTitle));
    QApplication::setApplicationVersion(QString::fromLatin1(dialoon::BuildInfo::kVersion));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));
    QApplication::setQuitOnLastWindowClosed(false);
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Serif"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));

    dialoon::SingleInstance instance(dialoon::SingleInstance::defaultKey());
    if (!instance.claim()) {
        instance.activateRunning();
        return 0;
    }

    dialoon::Application dialoon;
    QObject::connect(&instance, &dialoon::SingleInstance::activationRequested, &dialoon,
                     &dialoon::Application::bringToFront);
    dialoon.start();
    return app.exec();
}
