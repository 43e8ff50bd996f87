// The yardstick for Dialoon's start and memory: a bare Qt Widgets window of the strip's size, kind and
// place, with nothing in it, started the way Dialoon starts. With --ticking it also runs, doing nothing,
// the timers the strip must always run (60 ms, 100 ms and 1500 ms): what they alone cost on this machine.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstring>

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
    std::array<QTimer, 3> timers;
    if (argc > 1 && std::strcmp(argv[1], "--ticking") == 0) {
        const std::array<int, 3> intervals{60, 100, 1500};
        for (std::size_t t = 0; t < timers.size(); ++t) {
            timers[t].setTimerType(Qt::PreciseTimer);
            QObject::connect(&timers[t], &QTimer::timeout, &window, [] {});
            timers[t].start(intervals[t]);
        }
    }
    return app.exec();
}
