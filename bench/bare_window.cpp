// The yardstick for Dialoon's start and memory: a bare Qt Widgets window of the strip's size, kind and
// place, with nothing in it, started the way Dialoon starts.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                Qt::WindowDoesNotAcceptFocus);
    window.setWindowTitle(QStringLiteral("Form1"));
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.setAutoFillBackground(true);
    window.setGeometry(379, 0, 477, 23); // the strip at first start on a 1024-pixel-wide screen
    window.show();
    return app.exec();
}
