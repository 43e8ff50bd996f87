// Dialoon: a German phrase player that rests at the top edge of the screen.
#include "platform/BuildInfo.h"
#include "platform/SingleInstance.h"
#include "ui/Application.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

int main(int argc, char* argv[])
{
    // The strip places itself and reads the cursor, which a Wayland session allows only through XWayland.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // Our windows are small: sending their pixels over the X connection costs less than sharing memory
    // with the server, which takes a round trip to the server, and a wake-up of Qt's X thread, per frame.
    if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
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
