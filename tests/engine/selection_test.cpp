// Choosing the next sentence: in sequence or at random, in a lesson or over the whole course.
#include "EngineRig.h"

#include <QTest>

using namespace dialoon;

class SelectionTest : public QObject
{
    Q_OBJECT
private slots:
    void sequence_data()
    {
        QTest::addColumn<int>("lesson");
        QTest::addColumn<int>("sentenceId");
        QTest::addColumn<int>("shown");  // the id whose texts are loaded; 0 when the lookup fails
        QTest::addColumn<int>("leftAt"); // sentenceId afterwards
        QTest::newRow("lesson 1, position 40") << 1 << 10140 << 10119 << 10141;
        QTest::newRow("lesson 1 wraps after 40") << 1 << 10141 << 10101 << 10102;
        QTest::newRow("lesson changed") << 5 << 10217 << 10501 << 10502;
        QTest::newRow("first-run place in a lesson") << 1 << 11000 << 10101 << 10102;
        QTest::newRow("lesson 16 start") << 16 << 11601 << 11601 << 11602;
        QTest::newRow("course, next block") << 0 << 10141 << 10201 << 10202;
        QTest::newRow("course, past block 19") << 0 << 11941 << 10101 << 10102;
        QTest::newRow("course, block 17 repeats 1") << 0 << 11705 << 10105 << 11706;
        QTest::newRow("course, first-run place") << 0 << 11000 << 0 << 11001;
        QTest::newRow("course, hand-edited top of range") << 0 << 32767 << 10101 << 10102;
    }
    void sequence()
    {
        QFETCH(int, lesson);
        QFETCH(int, sentenceId);
        QFETCH(int, shown);
        QFETCH(int, leftAt);
        EngineRig rig;
        rig.state.sequentialPlay = 1;
        rig.state.lessonIndex = static_cast<std::int16_t>(lesson);
        rig.state.sentenceId = static_cast<std::int16_t>(sentenceId);
        rig.strip.germanText = QStringLiteral("before");
        rig.strip.englishText = QStringLiteral("vorher");
        rig.selector.Load_Next_Sentence();
        QCOMPARE(rig.state.sentenceId, leftAt);
        if (shown) {
            QCOMPARE(rig.strip.germanText, *rig.catalogue.text(static_cast<std::int16_t>(shown)));
            QCOMPARE(rig.strip.englishText, *rig.catalogue.text(static_cast<std::int16_t>(shown + 10000)));
            QVERIFY(rig.platform.messages.isEmpty());
        } else {
            QCOMPARE(rig.strip.germanText, QStringLiteral("before"));
            QCOMPARE(rig.platform.messages, QStringList{QString::number(sentenceId)});
        }
        // The tooltips follow the texts in sequence mode, also after a failed lookup.
        QCOMPARE(rig.strip.label1ToolTip, rig.strip.germanText);
        QCOMPARE(rig.strip.label2ToolTip, rig.strip.englishText);
    }

    void failedLookupIsReportedOncePerCall()
    {
        EngineRig rig;
        rig.state.sequentialPlay = 1;
        rig.state.lessonIndex = 0;
        rig.state.sentenceId = 11000;
        rig.selector.Load_Next_Sentence();
        rig.selector.Load_Next_Sentence();
        QCOMPARE(rig.platform.messages, QStringList{"11000"});
        QCOMPARE(rig.strip.germanText, *rig.catalogue.text(11001));
    }

    void randomLesson_data()
    {
        QTest::addColumn<int>("lesson");
        QTest::addColumn<float>("draw");
        QTest::addColumn<int>("id");
        QTest::newRow("lesson 16, lowest") << 16 << 0.0f << 11601;
        QTest::newRow("lesson 16, highest") << 16 << 0.99999f << 11640;
        QTest::newRow("lesson 3, middle") << 3 << 0.5f << 10321;
    }
    void randomLesson()
    {
        QFETCH(int, lesson);
        QFETCH(float, draw);
        QFETCH(int, id);
        EngineRig rig;
        rig.state.sequentialPlay = 0;
        rig.state.lessonIndex = static_cast<std::int16_t>(lesson);
        rig.state.sentenceId = 10217;
        rig.strip.label1ToolTip = QStringLiteral("old tip");
        rig.draws = {draw};
        rig.selector.Load_Next_Sentence();
        QCOMPARE(rig.strip.germanText, *rig.catalogue.text(static_cast<std::int16_t>(id)));
        QCOMPARE(rig.strip.englishText, *rig.catalogue.text(static_cast<std::int16_t>(id + 10000)));
        QCOMPARE(rig.state.sentenceId, 10217);
        QCOMPARE(rig.strip.label1ToolTip, QStringLiteral("old tip"));
    }

    void randomCourseStaysInTheLessons()
    {
        EngineRig rig;
        rig.state.sequentialPlay = 0;
        rig.state.lessonIndex = 0;
        rig.draws = {0.0f, 0.0f, 0.99999f, 0.99999f, 0.25f, 0.5f};
        QStringList shown;
        for (int i = 0; i < 3; ++i) {
            rig.selector.Load_Next_Sentence();
            shown << rig.strip.germanText;
        }
        QStringList expected;
        for (const int id : {10101, 11640, 10911})
            expected << *rig.catalogue.text(static_cast<std::int16_t>(id));
        QCOMPARE(shown, expected);
        QVERIFY(rig.platform.messages.isEmpty());
    }

    void clockDrawsAreUniformEnough()
    {
        // Drawn anew from the clock every time: values stay in [0, 1) and do not repeat one another.
        QSet<float> seen;
        for (int i = 0; i < 200; ++i) {
            const float r = SentenceSelector::drawFromClock();
            QVERIFY(r >= 0.0f && r < 1.0f);
            seen.insert(r);
        }
        QVERIFY(seen.size() > 150);
    }

    void handEditedLessonOutsideTheCourseOnlyReports()
    {
        EngineRig rig;
        rig.state.sequentialPlay = 0;
        rig.state.lessonIndex = 300;
        rig.selector.Load_Next_Sentence();
        rig.state.sequentialPlay = 1;
        rig.selector.Load_Next_Sentence();
        QCOMPARE(rig.platform.messages.size(), 2);
    }
};

QTEST_GUILESS_MAIN(SelectionTest)
#include "selection_test.moc"
