// Hears SIGTERM, SIGINT and SIGHUP on a thread of its own, so that the program can keep the user's place
// before it ends when the session ends or it is told to stop, even while the user-interface thread is
// stuck (in a write to an X server that hangs, say). Signals that come while the first is being handled
// wait for it: a session's end sends SIGTERM and SIGHUP together, and the place is kept all the same.
// Should the program hang instead of ending, a guard (an alarm) ends it a few seconds after the first
// signal, so that it can still be stopped without SIGKILL. One watch at a time; its end gives the
// signals their default actions back.
#pragma once

#include <functional>
#include <thread>

namespace dialoon {

class TerminationWatch
{
public:
    static constexpr unsigned kHangGuardSeconds = 10;

    // The handler runs on the watch's own thread as soon as a signal comes, whatever the other threads
    // are doing; it normally ends the process. Should it return, the next signal is handled again.
    explicit TerminationWatch(std::function<void(int signalNumber)> handler,
                              unsigned hangGuardSeconds = kHangGuardSeconds);
    ~TerminationWatch();

    // A diagnostic written to a pipe whose reader has gone (`dialoon 2>&1 | less`, quit early) must not
    // end the program: the write fails instead. Call first thing in main.
    static void ignoreBrokenPipes();

    // Runs the handler when something calls exit() (the toolkit does when the connection to the X server
    // breaks), on that thread, before the process ends. One at a time; an empty handler takes it back.
    static void setExitHandler(std::function<void()> handler);

private:
    int pipeEnds_[2] = {-1, -1};
    std::thread listener_;
};

} // namespace dialoon
