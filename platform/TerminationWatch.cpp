// Signal handling through a pipe: the handler only writes one byte, everything else runs in the event loop.
#include "platform/TerminationWatch.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace dialoon {

#ifdef Q_OS_UNIX
namespace {

constexpr int kWatched[] = {SIGTERM, SIGINT, SIGHUP};

// What the handler may touch: the write end of the pipe, whether a signal is waiting for the event
// loop, and how long the program may take to end after it.
volatile sig_atomic_t writeEnd = -1;
volatile sig_atomic_t unhandled = 0;
volatile sig_atomic_t hangGuard = TerminationWatch::kHangGuardSeconds;

extern "C" void onTerminationSignal(int signalNumber)
{
    // Signals after the first wait for it: the program is keeping the place and ending.
    if (unhandled != 0)
        return;
    const int savedErrno = errno;
    unhandled = 1;
    // Should the program hang instead (its event loop, or the save), the alarm's default action ends it.
    ::alarm(static_cast<unsigned>(hangGuard));
    const auto byte = static_cast<unsigned char>(signalNumber);
    if (writeEnd >= 0) {
        [[maybe_unused]] const auto written = ::write(writeEnd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace
#endif

TerminationWatch::TerminationWatch(QObject* parent, unsigned hangGuardSeconds) : QObject(parent)
{
#ifdef Q_OS_UNIX
    hangGuard = static_cast<sig_atomic_t>(hangGuardSeconds);
    if (::pipe(pipeEnds_) != 0) {
        pipeEnds_[0] = pipeEnds_[1] = -1;
        return;
    }
    ::fcntl(pipeEnds_[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(pipeEnds_[1], F_SETFD, FD_CLOEXEC);
    ::fcntl(pipeEnds_[1], F_SETFL, O_NONBLOCK);
    notifier_ = new QSocketNotifier(pipeEnds_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        if (::read(pipeEnds_[0], &byte, 1) == 1) {
            emit terminationRequested(byte);
            // Handled, and the program goes on: the next signal is again one to keep the place for.
            ::alarm(0);
            unhandled = 0;
        }
    });
    unhandled = 0;
    writeEnd = pipeEnds_[1];
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    // One handler at a time: the watched signals wait for each other.
    for (int signalNumber : kWatched)
        sigaddset(&action.sa_mask, signalNumber);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kWatched)
        ::sigaction(signalNumber, &action, nullptr);
#endif
}

void TerminationWatch::ignoreBrokenPipes()
{
#ifdef Q_OS_UNIX
    ::signal(SIGPIPE, SIG_IGN);
#endif
}

TerminationWatch::~TerminationWatch()
{
#ifdef Q_OS_UNIX
    if (pipeEnds_[0] < 0)
        return;
    // The handlers go first, so that none of them writes into a pipe that is closing.
    struct sigaction defaultAction = {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    for (int signalNumber : kWatched)
        ::sigaction(signalNumber, &defaultAction, nullptr);
    writeEnd = -1;
    delete notifier_;
    notifier_ = nullptr;
    ::close(pipeEnds_[0]);
    ::close(pipeEnds_[1]);
    pipeEnds_[0] = pipeEnds_[1] = -1;
#endif
}

} // namespace dialoon
