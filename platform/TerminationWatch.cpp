// Signal handling through a pipe: the handler only writes one byte, everything else runs in the event loop.
#include "platform/TerminationWatch.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace dialoon {

#ifdef Q_OS_UNIX
namespace {

int pipeEnds[2] = {-1, -1};

extern "C" void onTerminationSignal(int signalNumber)
{
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const auto written = ::write(pipeEnds[1], &byte, 1);
}

} // namespace
#endif

TerminationWatch::TerminationWatch(QObject* parent) : QObject(parent)
{
#ifdef Q_OS_UNIX
    if (pipeEnds[0] < 0 && ::pipe(pipeEnds) != 0)
        return;
    ::fcntl(pipeEnds[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(pipeEnds[1], F_SETFD, FD_CLOEXEC);
    ::fcntl(pipeEnds[1], F_SETFL, O_NONBLOCK);
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        if (::read(pipeEnds[0], &byte, 1) == 1)
            emit terminationRequested(byte);
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
#endif
}

TerminationWatch::~TerminationWatch() = default;

} // namespace dialoon
