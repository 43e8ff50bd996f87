// Fullscreen detection on a real X server with a real window manager: another program's window made
// fullscreen and active, restored, closed; our own windows never count.
#include "platform/QtPlatform.h"

#include <QApplication>
#include <QProcess>
#include <QTest>
#include <QWidget>

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
        QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), filmWindow}), 0);
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
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server");
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
};

QTEST_MAIN(FullscreenWatchTest)
#include "fullscreen_watch_test.moc"
