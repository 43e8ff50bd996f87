// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the user-interface thread, so that the program
// can keep the user's place before it ends when the session ends or it is told to stop.
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
};

} // namespace dialoon
