// The course catalogue: addressing, the fill-up rule, the copied blocks and the course itself.
#include "engine/Catalogue.h"
#include "engine/LessonTable.h"

#include "support/OrdinaryUser.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace dialoon;

namespace {

QString lessonFile(int sentences, const QString& prefix = QStringLiteral("Satz"))
{
    QString text = QStringLiteral("# a lesson\n");
    for (int k = 1; k <= sentences; ++k)
        text += QStringLiteral("%1|%2 %1.  |Sentence %1.  |\n").arg(k).arg(prefix);
    return text;
}

} // namespace

class CatalogueTest : public QObject
{
    Q_OBJECT
private:
    Catalogue course = Catalogue::fromResources();

private slots:
    void addressing_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("sameAs"); // 0: holds no text
        QTest::newRow("position 40 repeats position 19 in a lesson of 21") << 10140 << 10119;
        QTest::newRow("position 22 repeats position 1") << 10122 << 10101;
        QTest::newRow("block 17 copies block 1") << 11701 << 10101;
        QTest::newRow("block 18 copies block 2") << 11838 << 10238;
        QTest::newRow("block 19 copies block 3") << 11940 << 10340;
        QTest::newRow("English of a copy") << 21701 << 20101;
        QTest::newRow("position 0") << 10100 << 0;
        QTest::newRow("position 41") << 10141 << 0;
        QTest::newRow("block 20") << 12001 << 0;
        QTest::newRow("no English for the dedication") << 20000 << 0;
        QTest::newRow("first-run place") << 11000 << 0;
        QTest::newRow("below the course") << 9999 << 0;
        QTest::newRow("negative") << -10101 << 0;
        QTest::newRow("top of 16 bits") << 32767 << 0;
    }
    void addressing()
    {
        QFETCH(int, id);
        QFETCH(int, sameAs);
        const auto text = course.text(static_cast<std::int16_t>(id));
        if (sameAs == 0) {
            QVERIFY(!text);
        } else {
            QVERIFY(text);
            QCOMPARE(*text, *course.text(static_cast<std::int16_t>(sameAs)));
        }
    }

    void fixedTextsKeepTheirTrailingBlanks()
    {
        QCOMPARE(*course.text(10101), QStringLiteral("Guten Tag.  "));
        QCOMPARE(course.text(10101)->size(), 12);
        QCOMPARE(*course.text(20101), QStringLiteral("Good afternoon.  "));
        QCOMPARE(*course.text(10102), QStringLiteral("Guten Morgen.  "));
        QCOMPARE(*course.text(20102), QStringLiteral("Good morning.  "));
        QCOMPARE(*course.text(11302), QStringLiteral("Zahlen? Ja.  "));
        QCOMPARE(*course.text(21302), QStringLiteral("Pay? Right.  "));
    }

    void wholeCourseAnswersEveryId()
    {
        QVERIFY(course.isComplete());
        for (int block = 1; block <= LessonTable::kBlockCount; ++block) {
            const int lesson = block > LessonTable::kLessonCount ? block - LessonTable::kLessonCount : block;
            const int length = LessonTable::kLessons[lesson].length;
            QSet<QString> distinct;
            for (int k = 1; k <= LessonTable::kBlockSize; ++k) {
                const auto id = static_cast<std::int16_t>(10000 + 100 * block + k);
                const auto german = course.text(id);
                const auto english = course.text(static_cast<std::int16_t>(id + 10000));
                QVERIFY2(german && english, qPrintable(QString::number(id)));
                QVERIFY2(german->size() >= 5 && german->size() <= 97, qPrintable(*german));
                QVERIFY2(english->size() >= 4 && english->size() <= 101, qPrintable(*english));
                QVERIFY(!german->startsWith(u' ') && !english->startsWith(u' '));
                if (k > length) {
                    const auto first = static_cast<std::int16_t>(10000 + 100 * block + (k - 1) % length + 1);
                    QCOMPARE(*german, *course.text(first));
                    QCOMPARE(*english, *course.text(static_cast<std::int16_t>(first + 10000)));
                } else {
                    distinct.insert(*german + u'|' + *english);
                }
            }
            // Lessons 4, 6, 8, 9 and 10 say one phrase twice, as it comes back in the situation.
            const bool recurs = QList<int>{4, 6, 8, 9, 10}.contains(lesson);
            QVERIFY2(distinct.size() == length - (recurs ? 1 : 0), qPrintable(QString::number(block)));
        }
    }

    void mostTextsEndInTwoBlanks()
    {
        int two = 0, total = 0;
        for (int block = 1; block <= LessonTable::kLessonCount; ++block)
            for (int k = 1; k <= LessonTable::kLessons[block].length; ++k)
                for (int offset : {0, 10000}) {
                    const QString text = *course.text(static_cast<std::int16_t>(10000 + 100 * block + k + offset));
                    QVERIFY2(!text.endsWith(QStringLiteral("   ")), qPrintable(text));
                    two += text.endsWith(QStringLiteral("  ")) ? 1 : 0;
                    ++total;
                }
        QVERIFY(two * 10 > total * 7);
    }

    void partialCourseAnswersOnlyItsLessons()
    {
        const Catalogue partial = Catalogue::fromLessonFiles({{1, lessonFile(21)}});
        QCOMPARE(*partial.text(10103), QStringLiteral("Satz 3.  "));
        QCOMPARE(*partial.text(21703), QStringLiteral("Sentence 3.  "));
        QVERIFY(!partial.text(10201));
        QVERIFY(!partial.isComplete());
    }

    void refusesBadLessonFiles_data()
    {
        QTest::addColumn<int>("lesson");
        QTest::addColumn<QString>("file");
        QTest::newRow("one sentence short") << 1 << lessonFile(20);
        QTest::newRow("one sentence over") << 16 << lessonFile(20);
        QTest::newRow("more than a block") << 14 << lessonFile(41);
        QTest::newRow("no closing bar") << 1 << QStringLiteral("1|Hallo.  |Hello.  \n");
        QTest::newRow("position out of order") << 1 << QStringLiteral("2|Hallo.  |Hello.  |\n");
        QTest::newRow("bar inside a text") << 1 << QStringLiteral("1|Hal|lo.  |Hello.  |\n");
        QTest::newRow("no such lesson") << 17 << lessonFile(21);
    }
    void refusesBadLessonFiles()
    {
        QFETCH(int, lesson);
        QFETCH(QString, file);
        QVERIFY_THROWS_EXCEPTION(CourseFormatError, Catalogue::fromLessonFiles({{lesson, file}}));
    }

    // A course with a lesson that cannot be read is no course: loading it fails and names the file,
    // rather than leaving the lesson's sentences silently empty.
    void unreadableLessonFileIsRefused_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("missing") << "missing";
        QTest::newRow("a folder in its place") << "folder";
        QTest::newRow("no right to read it") << "unreadable";
    }
    void unreadableLessonFileIsRefused()
    {
        QFETCH(QString, fault);
        QTemporaryDir dir;
        for (int lesson = 1; lesson <= LessonTable::kLessonCount; ++lesson) {
            const QString name = QStringLiteral("lesson%1.txt").arg(lesson, 2, 10, QLatin1Char('0'));
            QVERIFY(QFile::copy(":/course/" + name, dir.filePath(name)));
        }
        QVERIFY(Catalogue::fromCourseFolder(dir.path()).isComplete());
        const QString broken = dir.filePath("lesson05.txt");
        QVERIFY(QFile::remove(broken));
        if (fault == "folder")
            QVERIFY(QDir(dir.path()).mkdir("lesson05.txt"));
        if (fault == "unreadable") {
            QVERIFY(QFile::copy(":/course/lesson05.txt", broken));
            QCOMPARE(::chmod(QFile::encodeName(broken).constData(), 0200), 0);
        }
        OrdinaryUser user;
        try {
            Catalogue::fromCourseFolder(dir.path());
            QFAIL("a course without lesson 5 was loaded");
        } catch (const CourseFormatError& error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(broken), error.what());
        }
    }

    void windowsLineEndsAreNotPartOfTheText()
    {
        QString file = lessonFile(21);
        file.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        QCOMPARE(*Catalogue::fromLessonFiles({{1, file}}).text(20101), QStringLiteral("Sentence 1.  "));
    }
};

QTEST_GUILESS_MAIN(CatalogueTest)
#include "catalogue_test.moc"
