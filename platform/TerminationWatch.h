// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the user-interface thread, so that the program
// can keep the user's place before it ends when the session ends or it is told to stop. A second such
// signal that comes while the first is still waiting for (or being handled by) that thread ends the
// process at once, as the signal does by default, so that a program that hangs can still be stopped
// without SIGKILL. One watch at a time; its end gives the signals their default actions back.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace dialoon {

class TerminationWatch : public QObject
{
    Q_OBJECT
public:
    explicit TerminationWatch(QObject* parent = nullptr);
    ~TerminationWatch() override;

signals:
    void terminationRequested(int signalNumber);

private:
    QSocketNotifier* notifier_ = nullptr;
    int pipeEnds_[2] = {-1, -1};
};

} // namespace dialoon
