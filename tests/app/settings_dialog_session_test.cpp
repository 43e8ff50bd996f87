// What opening and closing the settings dialog does to the program, without the dialog's window.
#include "app/SettingsDialogSession.h"
#include "engine/AppState.h"
#include "engine/StripModel.h"

#include <QTest>

using namespace dialoon;

class SettingsDialogSessionTest : public QObject
{
    Q_OBJECT

private slots:
    void openingRestsTheMenuAndTheCycle()
    {
        StripModel strip;
        strip.timerEnabled[Timer5] = true;
        SettingsDialogSession::opened(strip);
        QVERIFY(!strip.image1Enabled);
        QVERIFY(!strip.timerEnabled[Timer5]);
    }

    void closingRestartsTheCycleOnlyAfterTheBanner_data()
    {
        QTest::addColumn<int>("welcomeCountdown");
        QTest::addColumn<bool>("cycleRuns");
        QTest::newRow("banner running") << 30 << false;
        QTest::newRow("banner at 3") << 3 << false;
        QTest::newRow("banner at 2") << 2 << true;
        QTest::newRow("banner over") << -5 << true;
    }

    void closingRestartsTheCycleOnlyAfterTheBanner()
    {
        QFETCH(int, welcomeCountdown);
        QFETCH(bool, cycleRuns);
        AppState state;
        state.welcomeCountdown = static_cast<std::int16_t>(welcomeCountdown);
        StripModel strip;
        SettingsDialogSession::opened(strip);
        SettingsDialogSession::closed(state, strip, DialogChoices{});
        QVERIFY(strip.image1Enabled);
        QCOMPARE(strip.timerEnabled[Timer5], cycleRuns);
    }

    void theCourseStartsAgainOnlyWhenALessonGivesWayToTheWholeCourse_data()
    {
        QTest::addColumn<int>("lessonBefore");
        QTest::addColumn<int>("lessonChosen");
        QTest::addColumn<bool>("keepSchedule");
        QTest::addColumn<int>("lessonAfter");
        QTest::addColumn<int>("sentenceAfter");
        QTest::newRow("lesson to whole course, place kept") << 3 << 0 << true << 0 << 10101;
        QTest::newRow("lesson to whole course, place not kept") << 3 << 0 << false << 0 << 10305;
        QTest::newRow("whole course stays") << 0 << 0 << true << 0 << 10305;
        QTest::newRow("lesson to lesson") << 3 << 5 << true << 5 << 10305;
        QTest::newRow("no lesson selected keeps the lesson") << 17 << -1 << true << 17 << 10305;
    }

    void theCourseStartsAgainOnlyWhenALessonGivesWayToTheWholeCourse()
    {
        QFETCH(int, lessonBefore);
        QFETCH(int, lessonChosen);
        QFETCH(bool, keepSchedule);
        QFETCH(int, lessonAfter);
        QFETCH(int, sentenceAfter);
        AppState state;
        state.lessonIndex = static_cast<std::int16_t>(lessonBefore);
        state.sentenceId = 10305;
        StripModel strip;
        DialogChoices choices;
        choices.lessonIndex = lessonChosen;
        choices.keepSchedule = keepSchedule;
        SettingsDialogSession::closed(state, strip, choices);
        QCOMPARE(int(state.lessonIndex), lessonAfter);
        QCOMPARE(int(state.sentenceId), sentenceAfter);
    }

    void closingPutsTheChoicesInForceAndSaysWhetherToKeepThem()
    {
        AppState state;
        state.saveSettings = 1;
        StripModel strip;
        DialogChoices choices{4, true, false, 7, 12, 9, false};
        QVERIFY(SettingsDialogSession::closed(state, strip, choices));
        QCOMPARE(int(state.sequentialPlay), 1);
        QCOMPARE(int(state.germanFirst), 0);
        QCOMPARE(int(state.repeatCount), 7);
        QCOMPARE(int(state.germanSeconds), 12);
        QCOMPARE(int(state.englishSeconds), 9);
        state.saveSettings = 0;
        QVERIFY(!SettingsDialogSession::closed(state, strip, choices));
    }
};

QTEST_GUILESS_MAIN(SettingsDialogSessionTest)
#include "settings_dialog_session_test.moc"
