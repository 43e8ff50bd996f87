// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the user-interface thread, so that the program
// can keep the user's place before it ends when the session ends or it is told to stop. Signals that
// come while the first is still waiting for (or being handled by) that thread wait for it: a session's
// end sends SIGTERM and SIGHUP together, and the place is kept all the same. Should the program hang
// instead of ending, a guard (an alarm) ends it a few seconds after the first signal, so that it can
// still be stopped without SIGKILL. One watch at a time; its end gives the signals their default actions
// back.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace dialoon {

class TerminationWatch : public QObject
{
    Q_OBJECT
public:
    static constexpr unsigned kHangGuardSeconds = 10;

    explicit TerminationWatch(QObject* parent = nullptr, unsigned hangGuardSeconds = kHangGuardSeconds);
    ~TerminationWatch() override;

    // A diagnostic written to a pipe whose reader has gone (`dialoon 2>&1 | less`, quit early) must not
    // end the program: the write fails instead. Call first thing in main.
    static void ignoreBrokenPipes();

signals:
    void terminationRequested(int signalNumber);

private:
    QSocketNotifier* notifier_ = nullptr;
    int pipeEnds_[2] = {-1, -1};
};

} // namespace dialoon
