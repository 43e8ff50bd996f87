// How true the playback keeps its time: runs the whole program in this process (its settings folder is
// whatever XDG_CONFIG_HOME says) and times 20 showings of a sentence pair by the clock, against the
// nominal showing, which is as many ticks of the 100 ms playback timer as the cycle takes for one pair.
//   showing_period [showings]   ->   "showings ticks_each nominal_ms measured_ms drift_percent"
#include "app/SettingsStore.h"
#include "platform/x11/QtPlatform.h"
#include "ui/Application.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

using namespace dialoon;

int main(int argc, char* argv[])
{
    QApplication qapp(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const int showings = argc > 1 ? std::atoi(argv[1]) : 20;

    QtPlatform platform;
    SettingsStore store;
    Application app(platform, store);
    QElapsedTimer clock;
    int ended = -1; // showings ended since the first one we time from
    qint64 ticks = 0;
    qint64 ticksFirst = 0;
    qint64 firstEnd = 0;
    // Connected after the strip's own handler, so it sees the state the tick left behind.
    QObject::connect(&app.ticks().timer(Timer5), &TickTimer::timeout, &qapp, [&] {
        ++ticks;
        if (app.state().cyclePhase != 0 || app.state().cycleTicks != 0) return;
        const qint64 now = clock.nsecsElapsed();
        if (++ended == 0) {
            firstEnd = now;
            ticksFirst = ticks;
            return;
        }
        if (ended < showings) return;
        const double measured = double(now - firstEnd) / 1e6 / showings;
        // One showing: a tick to start the first language, its seconds, a tick to change over, the second
        // language's seconds, a tick to count the showing.
        const int nominalTicks = 10 * (app.state().germanSeconds + app.state().englishSeconds) + 2;
        const double nominal = double(nominalTicks) * app.ticks().timer(Timer5).interval();
        std::printf("%d %.2f %.1f %.2f %+.3f\n", showings, double(ticks - ticksFirst) / showings, nominal,
                    measured, 100.0 * (measured - nominal) / nominal);
        std::fflush(stdout);
        std::_Exit(0);
    });
    clock.start();
    app.start();
    return qapp.exec();
}
