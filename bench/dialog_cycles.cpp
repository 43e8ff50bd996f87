// Opens and closes the settings dialog many times and prints how the process's memory grows, so that a
// heap profiler (heaptrack, valgrind's massif) can show what a cycle keeps:
//   dialog_cycles [cycles, default 1000]
#include "engine/AppState.h"
#include "engine/StripModel.h"
#include "platform/x11/QtPlatform.h"
#include "ui/dialogs/Form3.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

namespace {

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

void cycle(dialoon::AppState& state, dialoon::StripModel& strip, dialoon::QtPlatform& platform)
{
    auto* dialog = new dialoon::Form3(state, strip, platform);
    dialog->show();
    QApplication::processEvents();
    dialog->close(); // deletes itself
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 1000;
    dialoon::AppState state;
    state.repeatCount = 2;
    state.germanSeconds = 3;
    state.englishSeconds = 5;
    dialoon::StripModel strip;
    dialoon::QtPlatform platform;
    for (int i = 0; i < 50; ++i) // caches and fonts settle first
        cycle(state, strip, platform);
    const long before = residentKiB();
    for (int i = 0; i < cycles; ++i)
        cycle(state, strip, platform);
    const long after = residentKiB();
    std::printf("%d cycles: resident %ld -> %ld KiB, %.2f KiB a cycle\n", cycles, before, after,
                double(after - before) / cycles);
    return 0;
}
