// Signal handling through a pipe: the handler only writes one byte; the watch's thread reads it.
#include "platform/posix/TerminationWatch.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace dialoon {

namespace {

std::function<void()> exitHandler;

extern "C" void onExit()
{
    // Taken out first: whatever the handler does, it runs once.
    if (const std::function<void()> handler = std::exchange(exitHandler, {})) handler();
}

constexpr int kWatched[] = {SIGTERM, SIGINT, SIGHUP};
constexpr unsigned char kStop = 0; // no signal has this number: the watch is ending

// What the handler may touch: the write end of the pipe, whether a signal is being handled, and how
// long the program may take to end after it.
volatile sig_atomic_t writeEnd = -1;
volatile sig_atomic_t unhandled = 0;
volatile sig_atomic_t hangGuard = TerminationWatch::kHangGuardSeconds;

extern "C" void onTerminationSignal(int signalNumber)
{
    // Signals after the first wait for it: the program is keeping the place and ending.
    if (unhandled != 0) return;
    const int savedErrno = errno;
    unhandled = 1;
    // Should the program hang instead (its save, say), the alarm's default action ends it.
    ::alarm(static_cast<unsigned>(hangGuard));
    const auto byte = static_cast<unsigned char>(signalNumber);
    if (writeEnd >= 0) {
        [[maybe_unused]] const auto written = ::write(writeEnd, &byte, 1);
    }
    errno = savedErrno;
}

void setAction(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // One handler at a time: the watched signals wait for each other.
    for (int signalNumber : kWatched)
        sigaddset(&action.sa_mask, signalNumber);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kWatched)
        ::sigaction(signalNumber, &action, nullptr);
}

} // namespace

TerminationWatch::TerminationWatch(std::function<void(int)> handler, unsigned hangGuardSeconds)
{
    hangGuard = static_cast<sig_atomic_t>(hangGuardSeconds);
    if (::pipe2(pipeEnds_, O_CLOEXEC) != 0) {
        pipeEnds_[0] = pipeEnds_[1] = -1;
        return;
    }
    ::fcntl(pipeEnds_[1], F_SETFL, O_NONBLOCK);
    unhandled = 0;
    writeEnd = pipeEnds_[1];
    // Asleep in read() until a signal comes: the thread costs nothing meanwhile.
    listener_ = std::thread([readEnd = pipeEnds_[0], handler = std::move(handler)] {
        for (;;) {
            unsigned char byte = kStop;
            const auto got = ::read(readEnd, &byte, 1);
            if (got < 0 && errno == EINTR) continue;
            if (got != 1 || byte == kStop) return;
            if (handler) handler(byte);
            // Handled, and the program goes on: the next signal is again one to keep the place for.
            ::alarm(0);
            unhandled = 0;
        }
    });
    setAction(onTerminationSignal);
}

TerminationWatch::~TerminationWatch()
{
    if (pipeEnds_[0] < 0) return;
    // The handlers go first, so that none of them writes into a pipe that is closing.
    setAction(SIG_DFL);
    writeEnd = -1;
    [[maybe_unused]] const auto written = ::write(pipeEnds_[1], &kStop, 1);
    listener_.join();
    ::close(pipeEnds_[0]);
    ::close(pipeEnds_[1]);
}

void TerminationWatch::ignoreBrokenPipes()
{
    ::signal(SIGPIPE, SIG_IGN);
}

void TerminationWatch::setExitHandler(std::function<void()> handler)
{
    [[maybe_unused]] static const bool registered = std::atexit(onExit) == 0;
    exitHandler = std::move(handler);
}

} // namespace dialoon
