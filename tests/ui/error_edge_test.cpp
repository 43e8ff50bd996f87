// The edge every handler of the running program runs behind: an error is reported once, in one box,
// and while that box is open nothing restarts the strip's timers or reports a second error; a dialog
// save that fails other than by a write error reaches the edge too. Each case runs in a program of its
// own (this test program started again with --scenario), because the edge ends the process.
#include "platform/x11/QtPlatform.h"
#include "ui/Application.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <stdexcept>

using namespace dialoon;

namespace {

// A platform whose logon entry cannot be written for a reason that is no store write error.
class BrokenLogonPlatform : public QtPlatform
{
public:
    QString writeLogonEntry(const QString&) override
    {
        throw std::runtime_error("the logon entry went wrong");
    }
};

QList<QMessageBox*> errorBoxes()
{
    QList<QMessageBox*> boxes;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(window);
            box && box->isVisible() && box->icon() == QMessageBox::Critical)
            boxes << box;
    return boxes;
}

// Says what is to be seen while the error box is open, then closes the boxes, which ends the program.
void reportAndClose(Application& dialoon)
{
    int active = 0;
    for (int t = 0; t < kTimerCount; ++t)
        active += dialoon.ticks().timer(static_cast<StripTimer>(t)).isActive() ? 1 : 0;
    std::printf("timers=%d boxes=%d\n", active, static_cast<int>(errorBoxes().size()));
    std::fflush(stdout);
    for (QMessageBox* box : errorBoxes())
        box->done(QMessageBox::Ok);
}

int runScenario(const QString& name)
{
    QApplication::setQuitOnLastWindowClosed(false);
    BrokenLogonPlatform platform;
    SettingsStore store; // the test's own folder, inherited from the test that started this one
    Application dialoon(platform, store);
    dialoon.start();
    if (name == "call to the front under the error box" || name == "tick under the error box") {
        QTimer::singleShot(0, [&, name] {
            // Runs inside the error box's own event loop.
            QTimer::singleShot(0, [&, name] {
                QTimer::singleShot(0, [&] { reportAndClose(dialoon); });
                if (name == "call to the front under the error box")
                    dialoon.bringToFront(); // a second copy asks for the front
                else
                    emit dialoon.ticks().timer(Timer5).timeout(); // the cycle's timer ticks again
            });
            // The cycle's count of ticks at its top: the next tick overflows it.
            dialoon.state().cycleTicks = 32767;
            emit dialoon.ticks().timer(Timer5).timeout();
        });
    } else if (name == "error in the dialog's save") {
        QTimer::singleShot(0, [&] {
            QTimer::singleShot(0, [&] { reportAndClose(dialoon); });
            dialoon.state().startWithWindows = 1;
            dialoon.state().saveSettings = 1;
            emit dialoon.strip().menuButtonHovered();
            dialoon.menu()->mnu_file()->close();
            dialoon.menu()->item("mnu_sysset")->trigger();
            for (QWidget* window : QApplication::topLevelWidgets())
                if (window->objectName() == "Form3" && window->isVisible()) window->close();
        });
    }
    return QApplication::exec();
}

} // namespace

class ErrorEdgeTest : public QObject
{
    Q_OBJECT
private slots:
    void errorIsHandledOnce_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::newRow("call to the front under the error box") << "call to the front under the error box";
        QTest::newRow("tick under the error box") << "tick under the error box";
        QTest::newRow("error in the dialog's save") << "error in the dialog's save";
    }
    void errorIsHandledOnce()
    {
        QFETCH(QString, scenario);
        QProcess program;
        program.setProcessChannelMode(QProcess::SeparateChannels);
        program.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--scenario"), scenario});
        QVERIFY(program.waitForStarted());
        const bool ended = program.waitForFinished(30000);
        if (!ended) program.kill();
        QVERIFY2(ended, "the program did not end after its error");
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), EXIT_FAILURE);
        QCOMPARE(QString::fromLatin1(program.readAllStandardOutput()).trimmed(),
                 QStringLiteral("timers=0 boxes=1"));
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--scenario") == 0)
        return runScenario(QString::fromLocal8Bit(argv[2]));
    ErrorEdgeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "error_edge_test.moc"
