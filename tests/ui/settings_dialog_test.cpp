// The settings dialog on real widgets: what it loads, what its controls change at once, and what its
// closing takes over.
#include "engine/AppState.h"
#include "engine/StripModel.h"
#include "platform/x11/QtPlatform.h"
#include "ui/dialogs/Form3.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace dialoon;

namespace {

AppState usualState()
{
    AppState s;
    s.germanFirst = 1;
    s.repeatCount = 2;
    s.englishSeconds = 3;
    s.germanSeconds = 5;
    s.sequentialPlay = 1;
    s.saveSchedule = 1;
    s.saveSettings = 1;
    s.autoHide = 0;
    s.lessonIndex = 4;
    s.sentenceId = 10417;
    s.welcomeCountdown = 1;
    return s;
}

template <typename T> T* find(QWidget* dialog, const QString& name)
{
    T* widget = dialog->findChild<T*>(name);
    if (!widget) qFatal("no control %s", qPrintable(name));
    return widget;
}

struct Dialog
{
    AppState state = usualState();
    StripModel strip;
    QtPlatform platform;
    Form3* form = nullptr;
    std::unique_ptr<QSignalSpy> saves;

    Dialog() { open(); }
    void open()
    {
        strip.timerEnabled[Timer5] = true;
        form = new Form3(state, strip, platform);
        saves = std::make_unique<QSignalSpy>(form, &Form3::saveRequested);
        form->show();
    }
    void click(const QString& name)
    {
        QTest::mouseClick(find<QAbstractButton>(form, name), Qt::LeftButton, {}, QPoint(4, 4));
    }
    void close() { form->close(); }
};

} // namespace

class SettingsDialogTest : public QObject
{
    Q_OBJECT
private slots:
    void openingPausesPlaybackAndBlocksTheMenu()
    {
        Dialog d;
        QVERIFY(!d.strip.image1Enabled);
        QVERIFY(!d.strip.timerEnabled[Timer5]);
        QCOMPARE(d.form->windowTitle(), QStringLiteral("Setting..."));
        QCOMPARE(find<QRadioButton>(d.form, "Option1(4)")->text(), QStringLiteral("Celebrations"));
        QVERIFY(find<QRadioButton>(d.form, "Option1(4)")->isChecked());
        QVERIFY(find<QRadioButton>(d.form, "Option2(1)")->isChecked());
        QVERIFY(find<QRadioButton>(d.form, "Option3(0)")->isChecked());
        QCOMPARE(find<QLineEdit>(d.form, "Text1(0)")->text(), QStringLiteral("2"));
        QCOMPARE(find<QLineEdit>(d.form, "Text1(1)")->text(), QStringLiteral("5"));
        QCOMPARE(find<QLineEdit>(d.form, "Text1(2)")->text(), QStringLiteral("3"));
        QCOMPARE(find<QLabel>(d.form, "Label1")->text(),
                 QStringLiteral("Per sentence play              time."));
        QCOMPARE(d.form->size(), QSize(348, 389));
        d.close();
    }

    void closingUntouchedChangesNothing_data()
    {
        QTest::addColumn<int>("sequentialPlay");
        QTest::addColumn<int>("germanFirst");
        QTest::addColumn<int>("sequentialAfter");
        QTest::addColumn<int>("germanFirstAfter");
        QTest::newRow("usual") << 1 << 1 << 1 << 1;
        QTest::newRow("random, English first") << 0 << 0 << 0 << 0;
        QTest::newRow("stored 2s") << 2 << 2 << 1 << 0;
    }
    void closingUntouchedChangesNothing()
    {
        QFETCH(int, sequentialPlay);
        QFETCH(int, germanFirst);
        QFETCH(int, sequentialAfter);
        QFETCH(int, germanFirstAfter);
        Dialog d;
        d.form->close();
        d.state.sequentialPlay = static_cast<std::int16_t>(sequentialPlay);
        d.state.germanFirst = static_cast<std::int16_t>(germanFirst);
        d.open();
        d.close();
        QCOMPARE(d.state.sequentialPlay, sequentialAfter);
        QCOMPARE(d.state.germanFirst, germanFirstAfter);
        QCOMPARE(d.state.lessonIndex, 4);
        QCOMPARE(d.state.repeatCount, 2);
        QCOMPARE(d.state.germanSeconds, 5);
        QCOMPARE(d.state.englishSeconds, 3);
        QCOMPARE(d.state.sentenceId, 10417);
        QCOMPARE(d.saves->count(), 1);
        QVERIFY(d.strip.image1Enabled);
        QVERIFY(d.strip.timerEnabled[Timer5]);
    }

    void savingOffKeepsNothing()
    {
        Dialog d;
        d.click("Check1");
        QCOMPARE(d.state.saveSettings, 0);
        d.click("Option1(7)");
        d.close();
        QCOMPARE(d.saves->count(), 0);
        QCOMPARE(d.state.lessonIndex, 7); // in force for the rest of the run
    }

    void restartRule_data()
    {
        QTest::addColumn<int>("lessonBefore");
        QTest::addColumn<bool>("untickSchedule");
        QTest::addColumn<bool>("random");
        QTest::addColumn<QString>("choose");
        QTest::addColumn<int>("sentenceId");
        QTest::newRow("lesson to entire with schedule") << 4 << false << false << "Option1(0)" << 10101;
        QTest::newRow("schedule cleared") << 4 << true << false << "Option1(0)" << 10417;
        QTest::newRow("random, box disabled but set") << 4 << false << true << "Option1(0)" << 10101;
        QTest::newRow("entire to a lesson") << 0 << false << false << "Option1(9)" << 10417;
        QTest::newRow("lesson to lesson") << 4 << false << false << "Option1(9)" << 10417;
        QTest::newRow("entire stays entire") << 0 << false << false << "Option1(0)" << 10417;
    }
    void restartRule()
    {
        QFETCH(int, lessonBefore);
        QFETCH(bool, untickSchedule);
        QFETCH(bool, random);
        QFETCH(QString, choose);
        QFETCH(int, sentenceId);
        Dialog d;
        d.form->close();
        d.state.lessonIndex = static_cast<std::int16_t>(lessonBefore);
        d.state.sentenceId = 10417;
        d.open();
        if (untickSchedule) d.click("Check3");
        if (random) d.click("Option2(0)");
        d.click(choose);
        d.close();
        QCOMPARE(d.state.sentenceId, sentenceId);
        QCOMPARE(d.state.lessonIndex, choose.mid(8, choose.size() - 9).toInt());
    }

    void randomDisablesTheScheduleBoxButKeepsItsTick()
    {
        Dialog d;
        auto* schedule = find<QCheckBox>(d.form, "Check3");
        d.click("Option2(0)");
        QVERIFY(!schedule->isEnabled());
        QVERIFY(schedule->isChecked());
        QCOMPARE(d.state.saveSchedule, 1);
        d.click("Option2(1)");
        QVERIFY(schedule->isEnabled());
        d.close();
        QCOMPARE(d.state.sequentialPlay, 1);
    }

    void checkBoxesChangeTheirFieldAtOnce_data()
    {
        QTest::addColumn<QString>("box");
        QTest::newRow("Check4 auto hide") << "Check4";
        QTest::newRow("Check5 logon") << "Check5";
        QTest::newRow("Check3 schedule") << "Check3";
    }
    void checkBoxesChangeTheirFieldAtOnce()
    {
        QFETCH(QString, box);
        Dialog d;
        const AppState before = d.state;
        d.click(box);
        const QMap<QString, std::pair<int, int>> change = {
            {"Check4", {before.autoHide, d.state.autoHide}},
            {"Check5", {before.startWithWindows, d.state.startWithWindows}},
            {"Check3", {before.saveSchedule, d.state.saveSchedule}}};
        QCOMPARE(change[box].second, 1 - change[box].first);
        d.close();
    }

    void scrollBarsSetTheirBoxesAndWinAtClose()
    {
        Dialog d;
        auto* repeat = find<QScrollBar>(d.form, "VScroll1");
        auto* german = find<QScrollBar>(d.form, "VScroll2");
        auto* english = find<QScrollBar>(d.form, "VScroll3");
        QCOMPARE(std::pair(repeat->minimum(), repeat->maximum()), std::pair(1, 12));
        QCOMPARE(std::pair(german->minimum(), german->maximum()), std::pair(5, 15));
        QCOMPARE(std::pair(english->minimum(), english->maximum()), std::pair(3, 15));
        repeat->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        german->setValue(15);
        english->setValue(99);
        QCOMPARE(find<QLineEdit>(d.form, "Text1(0)")->text(), QStringLiteral("3"));
        QCOMPARE(d.state.repeatCount, 2); // taken over only at close
        d.close();
        QCOMPARE(d.state.repeatCount, 3);
        QCOMPARE(d.state.germanSeconds, 15);
        QCOMPARE(d.state.englishSeconds, 15);
    }

    void closingDuringTheWelcomeLeavesPlaybackToIt_data()
    {
        QTest::addColumn<int>("countdown");
        QTest::addColumn<bool>("restarted");
        QTest::newRow("welcome running") << 3 << false;
        QTest::newRow("welcome over") << 2 << true;
        QTest::newRow("parked") << 1 << true;
    }
    void closingDuringTheWelcomeLeavesPlaybackToIt()
    {
        QFETCH(int, countdown);
        QFETCH(bool, restarted);
        Dialog d;
        d.state.welcomeCountdown = static_cast<std::int16_t>(countdown);
        d.close();
        QCOMPARE(d.strip.timerEnabled[Timer5], restarted);
        QVERIFY(d.strip.image1Enabled);
    }

    void handEditedValuesOutsideTheControls()
    {
        Dialog d;
        d.form->close();
        d.state.lessonIndex = 40;
        d.state.repeatCount = 0;
        d.open();
        d.close();
        QCOMPARE(d.state.lessonIndex, 40); // no lesson button stands for it, so it stays
        QCOMPARE(d.state.repeatCount, 1);  // the nearest value the bar offers
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "settings_dialog_test.moc"
