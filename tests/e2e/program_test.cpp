// The real program under a real X server: started with a fresh settings folder, looked at and driven
// with xdotool as a person would, and ended by its menu or by a signal.
#include "platform/posix/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <unistd.h>

namespace {

QString xdotool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

struct Geometry
{
    int x = -1, y = -1, width = -1, height = -1;
};

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The visible window of this process with this exact title. A search can miss while short-lived windows
// (tooltips, the speech balloon) come and go, so it is tried a few times.
Geometry windowGeometry(qint64 pid, const QString& title)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        const QString id = xdotool({"search", "--all", "--onlyvisible", "--pid", QString::number(pid),
                                    "--name", "^" + title + "$"})
                               .section(u'\n', 0, 0);
        if (id.isEmpty()) continue;
        // xwininfo gives the client area's true place on the screen, also inside a window frame.
        const QString info = run(QStringLiteral("xwininfo"), {"-id", id});
        static const QRegularExpression re(
            QStringLiteral(
                R"(Absolute upper-left X:\s+(-?\d+).*Absolute upper-left Y:\s+(-?\d+).*Width:\s+(\d+).*Height:\s+(\d+))"),
            QRegularExpression::DotMatchesEverythingOption);
        const auto m = re.match(info);
        if (m.hasMatch())
            return {m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                    m.captured(4).toInt()};
    }
    return {};
}

struct Program
{
    QTemporaryDir home;
    QProcess process;
    QString platform;

    QString configFile() const { return home.filePath("config/Tavo.ini"); }

    void writeSettings(const QByteArray& ini) { writeFile("[German]\n" + ini); }

    void writeFile(const QByteArray& content)
    {
        QDir().mkpath(home.filePath("config"));
        QFile file(configFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", home.path());
        env.insert("HOME", home.path());
        if (!platform.isEmpty()) env.insert("QT_QPA_PLATFORM", platform);
        return env;
    }

    void start()
    {
        process.setProcessEnvironment(environment());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(DIALOON_EXECUTABLE));
        QVERIFY(process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(window("Form1").width > 0, 10000);
    }

    Geometry window(const QString& title) const { return windowGeometry(process.processId(), title); }

    // The menu opens when the mouse passes over the picture at the strip's right end.
    void openMenu() const
    {
        const Geometry strip = window("Form1");
        xdotool({"mousemove", QString::number(strip.x + 462), "8"});
        QTest::qWait(100);
        xdotool({"mousemove", QString::number(strip.x + 464), "9"});
        QTest::qWait(300);
    }

    QString stored(const QString& key) const
    {
        return QSettings(configFile(), QSettings::IniFormat).value("German/" + key).toString();
    }

    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
};

const QByteArray kSequenceStore = "ce=1\nn=2\nctime=3\netime=5\nrd=1\npsave=1\nssave=1\nvisi=0\nvoice=0\n"
                                  "guage=2\nguagen=10205\nred=0\nmark=0\nxxx=1\nleft=3000\nsspeed=150\n";

} // namespace

class ProgramTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs an X display");
        xdotool({"mousemove", "0", "700"});
    }

    void firstStartShowsTheStripAtTheTopEdge()
    {
        Program program;
        program.platform = "wayland"; // a user's tweak for other programs: this one stays on X11
        program.start();
        const Geometry strip = program.window("Form1");
        QCOMPARE(strip.y, 0);
        QCOMPARE(strip.width, 477);
        QCOMPARE(strip.height, 23);
        QCOMPARE(strip.x, 379); // 5680 twips on a screen 1024 pixels wide
        QCOMPARE(program.stored("xxx"), QStringLiteral("1"));
        QCOMPARE(program.stored("left"), QStringLiteral("5680"));
        QCOMPARE(program.stored("guagen"), QStringLiteral("11000"));
        // The splash is up at first and goes by itself after about 1.2 s.
        QTRY_VERIFY_WITH_TIMEOUT(program.window("Version").width == -1, 5000);
    }

    void secondCopyEndsWithoutTouchingTheStore()
    {
        Program program;
        program.writeSettings(kSequenceStore);
        program.start();
        const QByteArray before = [&] {
            QFile f(program.configFile());
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        QProcess second;
        second.setProcessEnvironment(program.environment());
        second.start(QStringLiteral(DIALOON_EXECUTABLE));
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(program.process.state(), QProcess::Running);
        QFile after(program.configFile());
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
    }

    // A session's end sends SIGTERM and SIGHUP at once; later signals wait for the first one's save.
    void terminationKeepsThePlace_data()
    {
        QTest::addColumn<QList<int>>("signalNumbers");
        QTest::newRow("SIGTERM") << QList<int>{SIGTERM};
        QTest::newRow("SIGINT") << QList<int>{SIGINT};
        QTest::newRow("SIGHUP") << QList<int>{SIGHUP};
        QTest::newRow("SIGTERM and SIGHUP together") << QList<int>{SIGTERM, SIGHUP};
        QTest::newRow("SIGTERM twice") << QList<int>{SIGTERM, SIGTERM};
        QTest::newRow("SIGHUP, then SIGTERM") << QList<int>{SIGHUP, SIGTERM};
    }
    void terminationKeepsThePlace()
    {
        QFETCH(QList<int>, signalNumbers);
        Program program;
        program.writeSettings(kSequenceStore);
        program.start();
        for (int signalNumber : signalNumbers)
            ::kill(static_cast<pid_t>(program.process.processId()), signalNumber);
        QVERIFY(program.process.waitForFinished(10000));
        QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
        // Start-up loaded 10205 and moved the place on.
        QCOMPARE(program.stored("guagen"), QStringLiteral("10206"));
        QCOMPARE(program.stored("left"), QStringLiteral("3000"));
        QCOMPARE(program.stored("voice"), QStringLiteral("0"));
    }

    // The X server goes away under the program (a plain window-manager session's logout, a crash), or
    // hangs and the program is told to stop: the place is kept all the same.
    void theXServerGoingAwayKeepsThePlace_data()
    {
        QTest::addColumn<bool>("hung");
        QTest::newRow("killed") << false;
        QTest::newRow("hung, then SIGTERM") << true;
    }
    void theXServerGoingAwayKeepsThePlace()
    {
        QFETCH(bool, hung);
        QProcess server;
        // Without -noreset the server starts over whenever its last client goes (the program's look for a
        // display, say), refusing connections meanwhile.
        server.start(QStringLiteral("Xvfb"),
                     {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
        QVERIFY(server.waitForReadyRead(10000));
        const QByteArray display = ":" + server.readLine().trimmed();
        const QByteArray ours = qgetenv("DISPLAY");
        qputenv("DISPLAY", display);
        const auto restore = qScopeGuard([&] {
            qputenv("DISPLAY", ours);
            ::kill(static_cast<pid_t>(server.processId()), SIGCONT);
            // Ended, not killed: a killed server leaves its display's lock behind for the next one.
            server.terminate();
            server.waitForFinished();
        });
        Program program;
        program.writeSettings(kSequenceStore);
        program.start();
        if (hung) {
            ::kill(static_cast<pid_t>(server.processId()), SIGSTOP);
            QTest::qWait(1000); // the program is stuck on the server by now
            ::kill(static_cast<pid_t>(program.process.processId()), SIGTERM);
        } else {
            server.terminate(); // its clients' connections break as in a crash
        }
        QVERIFY(program.process.waitForFinished(10000));
        QCOMPARE(program.stored("guagen"), QStringLiteral("10206"));
    }

    // Started as `dialoon 2>&1 | less` and the pager quit: saying there is no sound device fails quietly.
    void aDiagnosticIntoAClosedPipeEndsNothing()
    {
        Program program;
        program.writeSettings(QByteArray(kSequenceStore).replace("voice=0", "voice=1")); // reading aloud
        int ends[2];
        QCOMPARE(::pipe(ends), 0);
        ::close(ends[0]);
        program.process.setChildProcessModifier([end = ends[1]] { ::dup2(end, STDERR_FILENO); });
        program.start();
        ::close(ends[1]);
        // Peedy speaks the first sentence without a sound device, and says so.
        QTRY_VERIFY_WITH_TIMEOUT(program.window("PeedyBalloon").width > 0, 15000);
        QTest::qWait(500);
        QCOMPARE(program.process.state(), QProcess::Running);
        ::kill(static_cast<pid_t>(program.process.processId()), SIGTERM);
        QVERIFY(program.process.waitForFinished(10000));
        QCOMPARE(program.process.exitCode(), 0);
        QCOMPARE(program.stored("guagen"), QStringLiteral("10206"));
    }

    // A store an editor saved with a byte-order mark, with a line of junk in it: the place is kept all the
    // same, and the program ends as a program that kept its data does.
    void terminationWithAnOddStoreKeepsThePlace()
    {
        Program program;
        program.writeFile("\xEF\xBB\xBF[German]\n\x01\x02\xFF junk\n" + kSequenceStore);
        program.start();
        ::kill(static_cast<pid_t>(program.process.processId()), SIGTERM);
        QVERIFY(program.process.waitForFinished(10000));
        QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.process.exitCode(), 0);
        QCOMPARE(program.stored("guagen"), QStringLiteral("10206"));
        QCOMPARE(program.stored("rd"), QStringLiteral("1"));
    }

    // A copy holds the lock but does not answer: the second start did not do what was asked and must not
    // say it did.
    void secondCopyThatCannotReachTheFirstFails()
    {
        Program program;
        program.writeSettings(kSequenceStore);
        QLockFile held(program.home.filePath(dialoon::SingleInstance::defaultKey() + ".lock"));
        QVERIFY(held.tryLock(0));
        QProcess second;
        second.setProcessEnvironment(program.environment());
        second.start(QStringLiteral(DIALOON_EXECUTABLE));
        QVERIFY(second.waitForFinished(15000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QVERIFY2(second.exitCode() != 0, "a start that reached no running copy ended as a success");
        QVERIFY(second.readAllStandardError().contains("did not answer"));
    }

    // No folder for the lock (no runtime folder, and a temporary folder that is not one): the program
    // starts anyway and says in one line which folder it could not use.
    void startsWhenNoLockCanBeMade()
    {
        Program program;
        program.writeSettings(kSequenceStore);
        const QString notAFolder = program.home.filePath("tmp");
        QFile file(notAFolder);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QProcessEnvironment env = program.environment();
        env.remove("XDG_RUNTIME_DIR");
        env.insert("TMPDIR", notAFolder);
        program.process.setProcessEnvironment(env);
        program.process.start(QStringLiteral(DIALOON_EXECUTABLE));
        QVERIFY(program.process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(program.window("Form1").width > 0, 10000);
        program.process.terminate();
        QVERIFY(program.process.waitForFinished(10000));
        const QStringList lines = QString::fromLocal8Bit(program.process.readAllStandardError()).split(u'\n');
        // (Qt and the sound library say their own words about the folder, too.)
        const QStringList ours = lines.filter(QRegularExpression("^Dialoon: "));
        QCOMPARE(ours.filter(notAFolder).size(), 1);
    }

    void draggingMovesTheStripAndSnapsItBack()
    {
        Program program;
        program.writeSettings(kSequenceStore);
        program.start();
        const Geometry before = program.window("Form1");
        QCOMPARE(before.x, 200);
        xdotool({"mousemove", QString::number(before.x + 30), "12"});
        QTest::qWait(150); // the strip samples the cursor every 60 ms
        xdotool({"mousedown", "1"});
        for (int step = 1; step <= 5; ++step) {
            xdotool(
                {"mousemove", QString::number(before.x + 30 + 40 * step), QString::number(12 + 40 * step)});
            QTest::qWait(100);
        }
        QTRY_VERIFY_WITH_TIMEOUT(program.window("Form1").y > 100, 3000);
        xdotool({"mouseup", "1"});
        QTRY_COMPARE_WITH_TIMEOUT(program.window("Form1").y, 0, 3000);
        // It follows the cursor as sampled on the strip's ticks, so it may lag the last step.
        const Geometry after = program.window("Form1");
        QVERIFY2(after.x >= before.x + 160 && after.x <= before.x + 200,
                 qPrintable(QString::number(after.x)));
        QCOMPARE(after.height, 23);
        xdotool({"mousemove", "0", "700"});
        program.process.terminate();
        QVERIFY(program.process.waitForFinished(10000));
        QCOMPARE(program.stored("left"), QString::number(after.x * 15));
    }

    // A laptop undocked and docked again: the strip, its menu picture and Peedy stay whole on the screen,
    // and come back to their places when there is room again; the place the user chose is kept.
    void screensThatChangeKeepEverythingWhole()
    {
        Program program;
        program.writeSettings(
            QByteArray(kSequenceStore).replace("left=3000", "left=6000").replace("voice=0", "voice=1"));
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(program.window("Peedy").width > 0, 10000);
        const auto whole = [&program](const QString& title, int width, int height) {
            const Geometry g = program.window(title);
            return g.width > 0 && g.x >= 0 && g.y >= 0 && g.x + g.width <= width + 3 &&
                   g.y + g.height <= height;
        };
        const auto mode = [](const QString& name) {
            return QProcess::execute("xrandr", {"--output", "screen", "--mode", name});
        };
        QProcess::execute("xrandr", {"--newmode", "640x480_60", "23.75", "640", "664", "720", "800", "480",
                                     "483", "487", "500", "-hsync", "+vsync"});
        QProcess::execute("xrandr", {"--addmode", "screen", "640x480_60"});
        const auto restore = qScopeGuard([&mode] { mode("1024x768"); });
        QCOMPARE(mode("640x480_60"), 0);
        QTRY_VERIFY_WITH_TIMEOUT(whole("Form1", 640, 480), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(whole("Peedy", 640, 480), 2000);
        QCOMPARE(mode("1024x768"), 0);
        QTRY_COMPARE_WITH_TIMEOUT(program.window("Form1").x, 400, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(program.window("Peedy").x + 128 + 24, 1024, 2000);
        program.process.terminate();
        QVERIFY(program.process.waitForFinished(10000));
        QCOMPARE(program.stored("left"), QStringLiteral("6000"));
    }

    void exitFromTheMenuSaves()
    {
        Program program;
        program.writeSettings(kSequenceStore);
        program.start();
        program.openMenu();
        xdotool({"key", "Up", "Return"}); // the last item: Exit
        QVERIFY(program.process.waitForFinished(10000));
        QCOMPARE(program.process.exitCode(), 0);
        QCOMPARE(program.stored("guagen"), QStringLiteral("10206"));
        xdotool({"mousemove", "0", "700"});
    }

    void twoCopiesStartedTogetherLeaveOne()
    {
        Program program;
        program.writeSettings(kSequenceStore);
        QProcess other;
        other.setProcessEnvironment(program.environment());
        program.process.setProcessEnvironment(program.environment());
        program.process.start(QStringLiteral(DIALOON_EXECUTABLE));
        other.start(QStringLiteral(DIALOON_EXECUTABLE));
        QVERIFY(program.process.waitForStarted() && other.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(
            program.process.state() == QProcess::NotRunning || other.state() == QProcess::NotRunning, 10000);
        QProcess& ended = program.process.state() == QProcess::NotRunning ? program.process : other;
        QProcess& running = &ended == &other ? program.process : other;
        QCOMPARE(ended.exitCode(), 0);
        QTest::qWait(500);
        QCOMPARE(running.state(), QProcess::Running);
        running.kill();
        running.waitForFinished();
    }

    void settingsChosenInTheDialogAreKept()
    {
        Program program;
        program.writeSettings(kSequenceStore);
        program.start();
        program.openMenu();
        xdotool({"key", "s"}); // "&Settings..."
        QTRY_VERIFY_WITH_TIMEOUT(program.window("Setting...").width > 0, 5000);
        const Geometry dialog = program.window("Setting...");
        // "Sports", in the second column of the lessons.
        xdotool({"mousemove", QString::number(dialog.x + 176), QString::number(dialog.y + 104)});
        xdotool({"click", "1"});
        QTest::qWait(200);
        xdotool({"key", "alt+F4"});
        QTRY_VERIFY_WITH_TIMEOUT(program.window("Setting...").width == -1, 5000);
        QCOMPARE(program.stored("guage"), QStringLiteral("12"));
        QCOMPARE(program.stored("guagen"), QStringLiteral("10205")); // the place is exit's to keep
        xdotool({"mousemove", "0", "700"});
    }
};

QTEST_GUILESS_MAIN(ProgramTest)
#include "program_test.moc"
