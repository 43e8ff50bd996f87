// Fullscreen detection on a real X server with a real window manager: another program's window made
// fullscreen and active, restored, closed; our own windows never count.
#include "platform/x11/QtPlatform.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>

using namespace dialoon;

class FullscreenWatchTest : public QObject
{
    Q_OBJECT

private:
    QtPlatform platform;
    QList<bool> heard;
    std::unique_ptr<QProcess> film;
    QString filmWindow;

    void command(const QByteArray& line)
    {
        film->write(line + '\n');
        QVERIFY(film->waitForBytesWritten(5000));
        if (line != "quit") {
            QVERIFY(film->canReadLine() || film->waitForReadyRead(5000));
            QCOMPARE(film->readLine().trimmed(), QByteArray("ok"));
        }
    }

    // As a person clicks the film's window: the window manager makes it the active one, whatever it
    // thinks of a program asking for the focus itself.
    void makeFullscreenAndActive()
    {
        command("full");
        QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), filmWindow}),
                 0);
    }

    void startFilm()
    {
        film = std::make_unique<QProcess>();
        film->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        film->start(QStringLiteral(FULLSCREEN_WINDOW), {});
        QVERIFY(film->waitForStarted(5000));
        QVERIFY2(film->waitForReadyRead(10000), qPrintable(film->errorString()));
        const QByteArray greeting = film->readLine().trimmed();
        QVERIFY2(greeting.startsWith("ready "), greeting.constData());
        filmWindow = QString::fromLatin1(greeting.mid(6));
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) QSKIP("needs an X server");
        platform.setFullscreenHandler([this](bool active) { heard << active; });
        QVERIFY(!platform.fullscreenActive());
    }

    void init()
    {
        heard.clear();
        startFilm();
    }

    void cleanup()
    {
        if (film && film->state() != QProcess::NotRunning) {
            film->closeWriteChannel();
            film->waitForFinished(5000);
        }
        film.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!platform.fullscreenActive(), 5000);
    }

    void anotherProgramsFullscreenWindowIsSeenAndItsReturnToo()
    {
        makeFullscreenAndActive();
        QTRY_VERIFY_WITH_TIMEOUT(platform.fullscreenActive(), 10000);
        QCOMPARE(heard, QList<bool>{true});
        command("normal");
        QTRY_VERIFY_WITH_TIMEOUT(!platform.fullscreenActive(), 10000);
        QCOMPARE(heard, (QList<bool>{true, false}));
    }

    void closingTheFullscreenWindowEndsIt()
    {
        makeFullscreenAndActive();
        QTRY_VERIFY_WITH_TIMEOUT(platform.fullscreenActive(), 10000);
        command("quit");
        QVERIFY(film->waitForFinished(5000));
        QTRY_VERIFY_WITH_TIMEOUT(!platform.fullscreenActive(), 10000);
    }

    void ourOwnWindowsNeverCount()
    {
        makeFullscreenAndActive();
        QTRY_VERIFY_WITH_TIMEOUT(platform.fullscreenActive(), 10000);
        // Another window becoming active ends it; ours fullscreen does not start it.
        QWidget ours;
        ours.setWindowTitle(QStringLiteral("ours"));
        ours.showFullScreen();
        ours.activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::activeWindow() == &ours, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!platform.fullscreenActive(), 10000);
        QCOMPARE(heard, (QList<bool>{true, false}));
    }

    // A client that names the root window as the active one switches nothing off: the root is no one's
    // window, and the watch keeps hearing the root window's changes (and Qt its own).
    void theRootNamedActiveIsNone()
    {
        makeFullscreenAndActive();
        QTRY_VERIFY_WITH_TIMEOUT(platform.fullscreenActive(), 10000);
        // The window manager may still be naming the film active when the root is named: named again
        // until it holds.
        const bool off = QTest::qWaitFor(
            [this] {
                nameRootActive();
                return QTest::qWaitFor([this] { return !platform.fullscreenActive(); }, 1000);
            },
            10000);
        QVERIFY(off);
        // Another program's window becomes the active one, then the film's again.
        QProcess other;
        other.start(QStringLiteral(FULLSCREEN_WINDOW), {});
        QVERIFY(other.waitForReadyRead(10000));
        const QString otherWindow = QString::fromLatin1(other.readLine().trimmed().mid(6));
        QCOMPARE(
            QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), otherWindow}), 0);
        QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), filmWindow}),
                 0);
        QTRY_VERIFY_WITH_TIMEOUT(platform.fullscreenActive(), 10000);
        other.closeWriteChannel();
        QVERIFY(other.waitForFinished(5000));
    }

    // Stepping aside, the windows that stay on top give that up through the window manager and go below
    // the fullscreen window; a window shown meanwhile comes up below too; afterwards all are on top again.
    void ourWindowsStepBelowAndComeBack()
    {
        const auto keptAbove = [](const QWidget& w) {
            return run("xprop", {"-id", QString::number(w.windowHandle()->winId()), "_NET_WM_STATE"})
                .contains("_NET_WM_STATE_ABOVE");
        };
        // Later in the window manager's stacking list is higher.
        const auto above = [this](const QWidget& w) {
            const QString list = run("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
            const auto place = [&list](qulonglong id) {
                return list.indexOf(QStringLiteral("0x%1").arg(id, 0, 16));
            };
            return place(w.windowHandle()->winId()) > place(filmWindow.toULongLong());
        };
        QWidget strip(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        strip.setGeometry(100, 0, 300, 20);
        strip.show();
        QTRY_VERIFY_WITH_TIMEOUT(keptAbove(strip), 5000);
        makeFullscreenAndActive();
        QTRY_VERIFY_WITH_TIMEOUT(platform.fullscreenActive(), 10000);

        platform.keepOurWindowsOnTop(false);
        QWidget later(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        later.setAttribute(Qt::WA_ShowWithoutActivating); // as the program's windows
        later.setGeometry(500, 300, 100, 100);
        later.show();
        for (const QWidget* w : {&strip, &later}) {
            QTRY_VERIFY_WITH_TIMEOUT(!keptAbove(*w), 5000);
            QTRY_VERIFY_WITH_TIMEOUT(!above(*w), 5000);
        }
        command("normal");
        platform.keepOurWindowsOnTop(true);
        for (const QWidget* w : {&strip, &later}) {
            QTRY_VERIFY_WITH_TIMEOUT(keptAbove(*w), 5000);
            QTRY_VERIFY_WITH_TIMEOUT(above(*w), 5000);
        }
    }

private:
    // As a client of its own would: the root window as _NET_ACTIVE_WINDOW.
    static void nameRootActive()
    {
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        xcb_intern_atom_reply_t* active =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 18, "_NET_ACTIVE_WINDOW"), nullptr);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, active->atom, XCB_ATOM_WINDOW, 32, 1, &root);
        std::free(active);
        xcb_flush(c);
        xcb_disconnect(c);
    }

    static QString run(const char* program, const QStringList& args)
    {
        QProcess p;
        p.start(QString::fromLatin1(program), args);
        p.waitForFinished(5000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }
};

QTEST_MAIN(FullscreenWatchTest)
#include "fullscreen_watch_test.moc"
