// The command line: --help and --version answered, everything else refused with one line and status 2,
// no arguments start the program.
#include "app/CommandLine.h"
#include "base/BuildInfo.h"

#include <QTest>

using namespace dialoon;

namespace {

std::vector<std::string> words(const QStringList& list)
{
    std::vector<std::string> result;
    for (const QString& word : list)
        result.push_back(word.toStdString());
    return result;
}

} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT
private slots:
    void noArgumentsStartTheProgram() { QVERIFY(!CommandLine::answer({}).has_value()); }

    void theSessionManagersRestartStartsTheProgram()
    {
        QVERIFY(!CommandLine::answer({"-session", "10d2f3a1b2c3"}).has_value());
        QVERIFY(!CommandLine::answer({"--session", "10d2f3a1b2c3"}).has_value());
        // A readable file starts the program, which opens it as phrases.
        const std::vector<std::string> withFile = {"-session", "x", DIALOON_SOURCE_DIR "/README.md"};
        QVERIFY(!CommandLine::answer(withFile).has_value());
        QCOMPARE(CommandLine::fileToOpen(withFile), std::string(DIALOON_SOURCE_DIR "/README.md"));
    }

    void answers_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("outStart");
        QTest::addColumn<QString>("errStart");
        const QString usage = QStringLiteral("Usage: dialoon");
        const QString version = QStringLiteral("%1 %2\n").arg(BuildInfo::kTitle, BuildInfo::kVersion);
        const QString unknown = QStringLiteral("dialoon: unknown argument ");
        QTest::newRow("--help") << QStringList{"--help"} << 0 << usage << "";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << usage << "";
        QTest::newRow("--version") << QStringList{"--version"} << 0 << version << "";
        QTest::newRow("first known wins") << QStringList{"--version", "--help"} << 0 << version << "";
        QTest::newRow("unknown option") << QStringList{"--verbose"} << 2 << "" << unknown + "'--verbose'";
        const QString cannot = QStringLiteral("dialoon: cannot open ");
        const QString file = QStringLiteral(DIALOON_SOURCE_DIR "/README.md");
        QTest::newRow("a missing file")
            << QStringList{"lesson01.txt"} << 2 << "" << cannot + "'lesson01.txt'";
        QTest::newRow("a folder") << QStringList{"/"} << 2 << "" << cannot + "'/', it is not a file";
        QTest::newRow("two files") << QStringList{file, file} << 2 << ""
                                   << "dialoon: opens one file at a time";
        QTest::newRow("empty") << QStringList{""} << 2 << "" << cannot + "''";
        QTest::newRow("Qt's own options are not ours")
            << QStringList{"-platform", "offscreen"} << 2 << "" << unknown + "'-platform'";
        QTest::newRow("unknown after --help") << QStringList{"--help", "x"} << 2 << "" << unknown + "'x'";
        QTest::newRow("unknown before --version")
            << QStringList{"-v", "--version"} << 2 << "" << unknown + "'-v'";
        QTest::newRow("--version=2") << QStringList{"--version=2"} << 2 << "" << unknown + "'--version=2'";
        QTest::newRow("a session without its id")
            << QStringList{"-session"} << 2 << "" << unknown + "'-session'";
        QTest::newRow("a line break stays one line") << QStringList{"a\nb"} << 2 << "" << cannot + "'a?b'";
    }
    void answers()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, outStart);
        QFETCH(QString, errStart);
        const auto answer = CommandLine::answer(words(arguments));
        QVERIFY(answer.has_value());
        QCOMPARE(answer->exitCode, exitCode);
        const QString out = QString::fromStdString(answer->out);
        const QString err = QString::fromStdString(answer->err);
        QVERIFY2(out.startsWith(outStart), qPrintable(out));
        QCOMPARE(out.isEmpty(), outStart.isEmpty());
        QVERIFY2(err.startsWith(errStart), qPrintable(err));
        if (!err.isEmpty()) {
            QCOMPARE(err.count(u'\n'), 1);
            QVERIFY(err.endsWith(u'\n'));
            QVERIFY(err.contains("--help"));
        }
    }

    void helpNamesEveryOptionItTakes()
    {
        const std::string help = CommandLine::answer({"--help"})->out;
        for (const char* option : {"--help", "-h", "--version"}) {
            QVERIFY2(help.find(option) != std::string::npos, option);
            QVERIFY(!CommandLine::answer({option})->out.empty());
        }
        // Fits a terminal's width.
        for (const QString& line : QString::fromStdString(help).split(u'\n'))
            QVERIFY2(line.size() <= 100, qPrintable(line));
    }

    void noDesktopIsOneLineThatSaysWhatIsNeeded()
    {
        const QString message = QString::fromStdString(CommandLine::noDesktopMessage());
        QCOMPARE(message.count(u'\n'), 1);
        QVERIFY(message.endsWith(u'\n'));
        QVERIFY(message.contains("graphical desktop"));
        QVERIFY(message.contains("X11"));
        QVERIFY(message.contains("XWayland"));
        QCOMPARE(CommandLine::kNoDesktop, 1);
        QCOMPARE(CommandLine::kUsageError, 2);
    }
};

QTEST_APPLESS_MAIN(CommandLineTest)
#include "command_line_test.moc"
