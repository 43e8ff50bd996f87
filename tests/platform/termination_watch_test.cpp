// The signal watch: a signal reaches the handler on the watch's own thread while the main thread is
// busy, the watch's end gives the signals and the pipe back, a program that hangs on the first signal is
// ended by the guard whatever signals follow, and exit() runs the exit handler. The programs that hang or
// call exit() are this test program itself, started again with --hang-on-signal or --exit.
#include "platform/posix/TerminationWatch.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unistd.h>

using namespace dialoon;

namespace {

// The process's open pipe ends, by descriptor.
QList<int> pipeEnds()
{
    QList<int> ends;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& name : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char target[64] = {};
        const QByteArray path = QFile::encodeName(fds.filePath(name));
        if (::readlink(path.constData(), target, sizeof target - 1) > 0 &&
            std::strncmp(target, "pipe:", 5) == 0)
            ends << name.toInt();
    }
    std::sort(ends.begin(), ends.end());
    return ends;
}

bool defaultAction(int signalNumber)
{
    struct sigaction current = {};
    ::sigaction(signalNumber, nullptr, &current);
    return current.sa_handler == SIG_DFL;
}

// The children: a program whose handling of the first signal hangs, and one that calls exit().
int hangOnSignal(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    TerminationWatch watch(
        [](int) {
            std::printf("handling\n");
            std::fflush(stdout);
            for (;;)
                ::pause();
        },
        1);
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

int callExit()
{
    TerminationWatch::setExitHandler([] { std::printf("kept\n"); });
    std::exit(1);
}

bool waitForLine(QProcess& process, const QByteArray& line)
{
    while (!process.canReadLine())
        if (!process.waitForReadyRead(10000)) return false;
    return process.readLine().trimmed() == line;
}

} // namespace

class TerminationWatchTest : public QObject
{
    Q_OBJECT
private slots:
    // First, while no watch has been made in this process.
    void endGivesTheSignalsAndThePipeBack()
    {
        const QList<int> before = pipeEnds();
        {
            TerminationWatch watch([](int) {});
            QVERIFY(!defaultAction(SIGTERM));
            QCOMPARE(pipeEnds().size(), before.size() + 2);
        }
        for (int signalNumber : {SIGTERM, SIGINT, SIGHUP})
            QVERIFY2(defaultAction(signalNumber), qPrintable(QString::number(signalNumber)));
        QCOMPARE(pipeEnds(), before);
    }

    // The main thread does not run its event loop meanwhile, as one stuck on a dead X server would not.
    void signalsReachTheHandlerWhileTheMainThreadIsBusy_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void signalsReachTheHandlerWhileTheMainThreadIsBusy()
    {
        QFETCH(int, signalNumber);
        std::mutex mutex;
        std::condition_variable heard;
        QList<int> handled;
        TerminationWatch watch([&](int number) {
            const std::lock_guard<std::mutex> lock(mutex);
            handled << number;
            heard.notify_all();
        });
        std::unique_lock<std::mutex> lock(mutex);
        // Handled, the next one is handled again. A signal raised while the watch is still finishing the
        // one before is passed over (it waits for the first), so it is raised again until it is heard.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (int count = 1; count <= 2; ++count) {
            while (handled.size() < count && std::chrono::steady_clock::now() < deadline) {
                lock.unlock();
                ::raise(signalNumber);
                lock.lock();
                heard.wait_for(lock, std::chrono::milliseconds(200), [&] { return handled.size() >= count; });
            }
        }
        QVERIFY(handled.size() >= 2);
        QVERIFY(
            std::all_of(handled.begin(), handled.end(), [&](int number) { return number == signalNumber; }));
    }

    void exitRunsTheExitHandler()
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--exit")});
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.readAllStandardOutput().trimmed(), QByteArray("kept"));
    }

    // Later signals wait for the first; a program that hangs on it is ended by the guard all the same.
    void theGuardEndsAProgramThatHangs()
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hang-on-signal")});
        QVERIFY(child.waitForStarted());
        QVERIFY(waitForLine(child, "ready"));
        ::kill(static_cast<pid_t>(child.processId()), SIGTERM);
        QVERIFY(waitForLine(child, "handling"));
        ::kill(static_cast<pid_t>(child.processId()), SIGTERM);
        const bool ended = child.waitForFinished(10000);
        if (!ended) {
            child.kill();
            child.waitForFinished();
        }
        QVERIFY2(ended, "the guard did not end a program that hangs on the first signal");
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QCOMPARE(child.exitCode(), SIGALRM);
    }
};

int main(int argc, char* argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--hang-on-signal") == 0) return hangOnSignal(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--exit") == 0) return callExit();
    QCoreApplication app(argc, argv);
    TerminationWatchTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "termination_watch_test.moc"
