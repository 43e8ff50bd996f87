// The signal watch: a signal reaches the event loop as a Qt signal, the handler leaves errno as it found
// it, the watch's end gives the signals and the pipe back, and a program that hangs on the first signal
// is ended by the guard, whatever signals follow. The hanging program is this test program itself, started again with
// --hang-on-signal.
#include "platform/TerminationWatch.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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
        if (::readlink(path.constData(), target, sizeof target - 1) > 0 && std::strncmp(target, "pipe:", 5) == 0)
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

// The child: a program whose handling of the first signal hangs.
int hangOnSignal(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    TerminationWatch watch(nullptr, 1);
    QObject::connect(&watch, &TerminationWatch::terminationRequested, [] {
        std::printf("handling\n");
        std::fflush(stdout);
        for (;;)
            ::pause();
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

bool waitForLine(QProcess& process, const QByteArray& line)
{
    while (!process.canReadLine())
        if (!process.waitForReadyRead(10000))
            return false;
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
            TerminationWatch watch;
            QVERIFY(!defaultAction(SIGTERM));
            QCOMPARE(pipeEnds().size(), before.size() + 2);
        }
        for (int signalNumber : {SIGTERM, SIGINT, SIGHUP})
            QVERIFY2(defaultAction(signalNumber), qPrintable(QString::number(signalNumber)));
        QCOMPARE(pipeEnds(), before);
    }

    void signalsArriveInTheEventLoop_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void signalsArriveInTheEventLoop()
    {
        QFETCH(int, signalNumber);
        TerminationWatch watch;
        QSignalSpy requested(&watch, &TerminationWatch::terminationRequested);
        ::raise(signalNumber);
        QTRY_COMPARE(requested.count(), 1);
        QCOMPARE(requested.at(0).at(0).toInt(), signalNumber);
        // Handled, the next one is handled again rather than ending the process.
        ::raise(signalNumber);
        QTRY_COMPARE(requested.count(), 2);
    }

    // The handler may interrupt any call between its failure and the caller's look at errno. It is made
    // to fail its own write here, with the pipe full.
    void handlerLeavesErrnoAlone()
    {
        TerminationWatch watch;
        // The watch's pipe is the one whose write end does not block.
        int writeEnd = -1;
        for (int fd : pipeEnds())
            if ((::fcntl(fd, F_GETFL) & (O_ACCMODE | O_NONBLOCK)) == (O_WRONLY | O_NONBLOCK))
                writeEnd = fd;
        QVERIFY(writeEnd >= 0);
        const char filler[4096] = {};
        while (::write(writeEnd, filler, sizeof filler) > 0) {
        }
        QCOMPARE(errno, EAGAIN);
        errno = ENOTTY;
        ::raise(SIGTERM);
        QCOMPARE(errno, ENOTTY);
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
    if (argc > 1 && std::strcmp(argv[1], "--hang-on-signal") == 0)
        return hangOnSignal(argc, argv);
    QCoreApplication app(argc, argv);
    TerminationWatchTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "termination_watch_test.moc"
