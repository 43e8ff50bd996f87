// The yardstick for Dialoon's start and memory: a bare Qt Widgets window of the strip's size, kind and
// place, with nothing in it, started the way Dialoon starts. With --ticking it also runs, doing nothing,
// the timers the strip must always run (60 ms, 100 ms and 1500 ms): what they alone cost on this machine.
// Intervals given after --ticking replace those three.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

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
    std::vector<int> intervals;
    if (argc > 1 && std::strcmp(argv[1], "--ticking") == 0) {
        for (int a = 2; a < argc; ++a)
            intervals.push_back(std::atoi(argv[a]));
        if (intervals.empty())
            intervals = {60, 100, 1500};
    }
    std::vector<std::unique_ptr<QTimer>> timers;
    for (const int interval : intervals) {
        auto& timer = *timers.emplace_back(std::make_unique<QTimer>());
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &window, [] {});
        timer.start(interval);
    }
    return app.exec();
}
