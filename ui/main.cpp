// Dialoon: a German phrase player that rests at the top edge of the screen.
#include "app/SettingKeys.h"
#include "app/SettingText.h"
#include "app/SettingsStore.h"
#include "engine/StripGeometry.h"
#include "engine/StripModel.h"
#include "platform/QtPlatform.h"
#include "ui/strip/Form1.h"

#include <QApplication>
#include <QFont>

int main(int argc, char* argv[])
{
    // The strip places itself and reads the cursor, which a Wayland session allows only through XWayland.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Serif"), QStringLiteral("Liberation Serif"));

    dialoon::QtPlatform platform;
    dialoon::SettingsStore store;
    dialoon::StripModel model;
    dialoon::Form1 strip(model, platform);
    platform.setStripWindow(&strip);

    try {
        model.left = dialoon::SettingText::toSingle(store.readSetting(dialoon::SettingKeys::left));
    } catch (const std::exception&) {
        model.left = platform.screenWidthTwips() / 2 - 2000;
    }
    model.visible = true;
    dialoon::StripGeometry::Get_Windows_Rect(model, platform);
    strip.render();
    return app.exec();
}
