// The speech agent as the program uses it: loading Peedy, languages, animations, the request queue,
// silence while hidden, and the character's windows on a real display.
#include "base/Errors.h"
#include "base/TickTimer.h"
#include "platform/x11/QtPlatform.h"
#include "speech/Character.h"
#include "speech/SpeechAgent.h"
#include "speech/SpeechBalloon.h"

#include <QApplication>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <stdexcept>

using namespace dialoon;

namespace {

// Long enough for a few sentences and a wave, silent or heard, on a slow machine.
constexpr int kPatienceMs = 30000;

QWidget* topLevel(const QString& name)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name) return widget;
    }
    return nullptr;
}

// Every start and end of a request, in the order they came, as "+n" and "-n".
class RequestLog : public QObject
{
public:
    explicit RequestLog(Character& character)
    {
        connect(&character, &Character::requestStarted, this,
                [this](int n) { entries << QStringLiteral("+%1").arg(n); });
        connect(&character, &Character::requestFinished, this,
                [this](int n) { entries << QStringLiteral("-%1").arg(n); });
    }
    QStringList entries;
};

} // namespace

class CharacterTest : public QObject
{
    Q_OBJECT

    QtPlatform platform;

private:
    std::unique_ptr<SpeechAgent> agent;

    Character& peedy()
    {
        agent->Characters().Load(QStringLiteral("Peedy"));
        return agent->Characters().Item(QStringLiteral("Peedy"));
    }

private slots:
    void init() { agent = std::make_unique<SpeechAgent>(platform); }
    void cleanup() { agent.reset(); }

    void agentIsNamedAsTheStripExpects() { QCOMPARE(agent->objectName(), QStringLiteral("Agent1")); }

    void onlyPeedyLoads_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("loadKey");
        QTest::addColumn<bool>("loads");
        QTest::newRow("Peedy") << "Peedy" << QString() << true;
        QTest::newRow("another character") << "Merlin" << QString() << false;
        QTest::newRow("wrong case") << "peedy" << QString() << false;
        QTest::newRow("trailing blank") << "Peedy " << QString() << false;
        QTest::newRow("empty id") << "" << QString() << false;
        QTest::newRow("a load location") << "Peedy"
                                         << "/usr/share/peedy.acs" << false;
    }
    void onlyPeedyLoads()
    {
        QFETCH(QString, id);
        QFETCH(QString, loadKey);
        QFETCH(bool, loads);
        if (loads) {
            agent->Characters().Load(id, loadKey);
            QCOMPARE(agent->Characters().Item(id).id(), id);
        } else {
            QVERIFY_THROWS_EXCEPTION(SpeechError, agent->Characters().Load(id, loadKey));
            QVERIFY_THROWS_EXCEPTION(SpeechError, agent->Characters().Item(id));
        }
    }

    void itemNeedsLoadAndLoadingTwiceKeepsTheCharacter()
    {
        QVERIFY_THROWS_EXCEPTION(SpeechError, agent->Characters().Item(QStringLiteral("Peedy")));
        Character& first = peedy();
        first.Show();
        agent->Characters().Load(QStringLiteral("Peedy"));
        QCOMPARE(&agent->Characters().Item(QStringLiteral("Peedy")), &first);
        QVERIFY(first.isVisible());
    }

    void languageIds_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("German") << 1031 << true;
        QTest::newRow("English") << 1033 << true;
        QTest::newRow("nonsense") << 9999 << false;
        QTest::newRow("French, no voice") << 1036 << false;
        QTest::newRow("negative") << -1031 << false;
    }
    void languageIds()
    {
        QFETCH(int, language);
        QFETCH(bool, accepted);
        Character& character = peedy();
        character.setLanguageID(1033);
        if (accepted) {
            character.setLanguageID(language);
            QCOMPARE(character.LanguageID(), language);
        } else {
            QVERIFY_THROWS_EXCEPTION(SpeechError, character.setLanguageID(language));
            QCOMPARE(character.LanguageID(), 1033);
        }
    }

    void unknownAnimationsThrowShownOrHidden_data()
    {
        QTest::addColumn<QString>("animation");
        QTest::newRow("other name") << "Dance";
        QTest::newRow("wrong case") << "wave";
        QTest::newRow("empty") << "";
    }
    void unknownAnimationsThrowShownOrHidden()
    {
        QFETCH(QString, animation);
        Character& character = peedy();
        QVERIFY_THROWS_EXCEPTION(SpeechError, character.Play(animation));
        character.Show();
        QVERIFY_THROWS_EXCEPTION(SpeechError, character.Play(animation));
        QCOMPARE(character.pendingRequests(), 0);
    }

    void hiddenCharacterKeepsNothingForLater()
    {
        Character& character = peedy();
        RequestLog log(character);
        QCOMPARE(character.Speak(QStringLiteral("Guten Tag.  ")), 0);
        QCOMPARE(character.Play(QStringLiteral("Wave")), 0);
        QCOMPARE(character.pendingRequests(), 0);

        character.Show();
        const int hello = character.Speak(QStringLiteral("Hallo.  "));
        QVERIFY(hello != 0);
        QTRY_VERIFY_WITH_TIMEOUT(log.entries.contains(QStringLiteral("-%1").arg(hello)), kPatienceMs);
        QCOMPARE(log.entries,
                 (QStringList{QStringLiteral("+%1").arg(hello), QStringLiteral("-%1").arg(hello)}));
    }

    void requestsReturnAtOnceAndPlayInOrder()
    {
        Character& character = peedy();
        RequestLog log(character);
        character.Show();
        const int one = character.Speak(QStringLiteral("Eins.  "));
        const int wave = character.Play(QStringLiteral("Wave"));
        const int two = character.Speak(QStringLiteral("Zwei.  "));
        // Nothing has started inside the calls: they only queued.
        QCOMPARE(character.currentRequest(), 0);
        QCOMPARE(character.pendingRequests(), 3);
        QVERIFY(log.entries.isEmpty());

        QTRY_COMPARE_WITH_TIMEOUT(log.entries.size(), 6, kPatienceMs);
        const QStringList expected{"+" + QString::number(one),  "-" + QString::number(one),
                                   "+" + QString::number(wave), "-" + QString::number(wave),
                                   "+" + QString::number(two),  "-" + QString::number(two)};
        QCOMPARE(log.entries, expected);
        QCOMPARE(character.pendingRequests(), 0);
        QCOMPARE(character.currentRequest(), 0);
    }

    // Requests asked for faster than they play do not pile up: the oldest waiting speech makes room for
    // the newest, and an animation waiting among them keeps its place.
    void queueHasABoundAndKeepsTheNewest()
    {
        Character& character = peedy();
        RequestLog log(character);
        character.Show();
        const int wave = character.Play(QStringLiteral("Wave"));
        QList<int> speeches;
        for (int i = 0; i < 2 * Character::kMostPending; ++i)
            speeches << character.Speak(QStringLiteral("Satz %1.  ").arg(i));
        QCOMPARE(character.pendingRequests(), Character::kMostPending);
        // Kept: the wave, and the newest speeches that fit beside it.
        const int firstKept = speeches[speeches.size() - (Character::kMostPending - 1)];
        QTRY_VERIFY_WITH_TIMEOUT(log.entries.filter(QStringLiteral("+")).size() >= 2, kPatienceMs);
        QCOMPARE(log.entries.filter(QStringLiteral("+")).mid(0, 2),
                 (QStringList{"+" + QString::number(wave), "+" + QString::number(firstKept)}));
        character.Hide();
    }

    // What the character's handlers do not handle goes to the edge it was given, not into the event
    // loop: here the handlers of whoever listens to the character fail, as the program's own might.
    void handlersRunBehindTheEdge_data()
    {
        QTest::addColumn<bool>("atTheStart"); // else at the end of the request
        QTest::newRow("as a request starts") << true;
        QTest::newRow("as a request ends") << false;
    }
    void handlersRunBehindTheEdge()
    {
        QFETCH(bool, atTheStart);
        QStringList caught;
        SpeechAgent guardedAgent(platform, [&caught](const std::function<void()>& handler) {
            try {
                handler();
            } catch (const std::exception& error) {
                caught << QString::fromUtf8(error.what());
            }
        });
        guardedAgent.Characters().Load(QStringLiteral("Peedy"));
        Character& character = guardedAgent.Characters().Item(QStringLiteral("Peedy"));
        const auto fail = [] { throw std::runtime_error("the listener failed"); };
        if (atTheStart)
            connect(&character, &Character::requestStarted, this, fail);
        else
            connect(&character, &Character::requestFinished, this, fail);
        character.Show();
        character.Speak(QStringLiteral("Hallo.  "));
        QTRY_COMPARE_WITH_TIMEOUT(caught, QStringList{"the listener failed"}, kPatienceMs);
        disconnect(&character, nullptr, this, nullptr);
        character.Hide();
    }

    void hidingCutsShortAndForgetsTheQueue()
    {
        Character& character = peedy();
        RequestLog log(character);
        character.Show();
        const int first =
            character.Speak(QStringLiteral("Der Zug nach München fährt heute von Gleis sieben ab.  "));
        const int second = character.Play(QStringLiteral("Wave"));
        QTRY_COMPARE_WITH_TIMEOUT(character.currentRequest(), first, kPatienceMs);

        character.Hide();
        QCOMPARE(log.entries, (QStringList{"+" + QString::number(first), "-" + QString::number(first)}));
        QCOMPARE(character.pendingRequests(), 0);
        QVERIFY(!character.isVisible());
        character.Hide(); // harmless
        QTRY_VERIFY_WITH_TIMEOUT(!topLevel(QStringLiteral("PeedyWindow"))->isVisible(), kPatienceMs);
        QVERIFY(!topLevel(QStringLiteral("PeedyBalloon"))->isVisible());

        character.Show();
        const int third = character.Speak(QStringLiteral("Tschüss.  "));
        QTRY_VERIFY_WITH_TIMEOUT(log.entries.contains("-" + QString::number(third)), kPatienceMs);
        QVERIFY(!log.entries.contains("+" + QString::number(second)));
    }

    // The character's frames wake nobody: they are drawn at the wake-ups of the program's other timers,
    // here a 60 ms one like the strip's pointer watch, on a clock moved by hand.
    void framesRideTheOtherTimersWakeUps()
    {
        std::int64_t now = 0;
        TickTimer::useTimeForTests([&now] { return now; });
        const auto realTime = qScopeGuard([] { TickTimer::useTimeForTests({}); });
        TickTimer watch;
        int watchTicks = 0;
        connect(&watch, &TickTimer::timeout, this, [&watchTicks] { ++watchTicks; });
        watch.start(60);
        Character& character = peedy();
        const std::uint64_t wakeUps = TickTimer::wakeUps();
        character.Show();
        for (std::int64_t at = TickTimer::wakeMomentForTests(); at >= 0 && at <= 1'000'000'000;
             at = TickTimer::wakeMomentForTests()) {
            now = std::max(now, at);
            TickTimer::wakeForTests();
        }
        QCOMPARE(watchTicks, 16);
        QCOMPARE(TickTimer::wakeUps() - wakeUps, std::uint64_t(watchTicks));
        QWidget* window = topLevel(QStringLiteral("PeedyWindow"));
        QVERIFY(window &&
                window->isVisible()); // shown by the first frame, which rode on the watch's wake-ups
    }

    void windowIsAFramelessTopmostToolNearTheLowerRight()
    {
        Character& character = peedy();
        character.Show();
        character.Show(); // harmless
        QWidget* window = topLevel(QStringLiteral("PeedyWindow"));
        QVERIFY(window);
        QTRY_VERIFY(window->isVisible());
        const Qt::WindowFlags flags = window->windowFlags();
        for (const Qt::WindowType flag :
             {Qt::Tool, Qt::FramelessWindowHint, Qt::WindowStaysOnTopHint, Qt::WindowDoesNotAcceptFocus})
            QVERIFY(flags.testFlag(flag));
        QCOMPARE(window->size(), QSize(128, 128));
        const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
        // The window manager places the window a moment after it is shown.
        QTRY_VERIFY(free.contains(window->frameGeometry()));
        QTRY_VERIFY(window->geometry().right() > free.right() - 100);
        QTRY_VERIFY(window->geometry().bottom() > free.bottom() - 100);
        QTRY_VERIFY(!window->mask().isEmpty());
        QVERIFY(!window->mask().contains(QPoint(0, 0)));
        QVERIFY(window->mask().contains(QPoint(59, 90)));
    }

    void balloonShowsTheSentenceAsHeardThenFades()
    {
        Character& character = peedy();
        character.Show();
        auto* balloon = qobject_cast<SpeechBalloon*>(topLevel(QStringLiteral("PeedyBalloon")));
        QVERIFY(balloon);
        const int request = character.Speak(QStringLiteral("Guten Tag, wie geht es Ihnen?  "));
        QTRY_COMPARE_WITH_TIMEOUT(character.currentRequest(), request, kPatienceMs);
        QVERIFY(balloon->isVisible());
        QCOMPARE(balloon->text(), QStringLiteral("Guten Tag, wie geht es Ihnen?"));
        QVERIFY(balloon->revealed() < balloon->text().size()); // the words come as they are heard
        QTRY_COMPARE_WITH_TIMEOUT(character.currentRequest(), 0, kPatienceMs);
        QCOMPARE(balloon->revealed(), balloon->text().size());
        QVERIFY(balloon->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!balloon->isVisible(),
                                 SpeechBalloon::kLingerMs + SpeechBalloon::kFadeMs + 3000);
    }

    void draggingMovesTheCharacterForTheRestOfTheRun()
    {
        Character& character = peedy();
        character.Show();
        QWidget* window = topLevel(QStringLiteral("PeedyWindow"));
        QTRY_VERIFY(window->isVisible());
        QTRY_VERIFY(QTest::qWaitForWindowExposed(window));
        const QPoint before = window->pos();
        QTest::mousePress(window, Qt::LeftButton, {}, QPoint(60, 90));
        QTest::mouseMove(window, QPoint(20, 60));
        QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(20, 60));
        QTRY_COMPARE(window->pos(), before - QPoint(40, 30));

        character.Hide();
        QTRY_VERIFY(!window->isVisible());
        character.Show();
        QTRY_VERIFY(window->isVisible());
        // The window manager may place the window anew when it is shown; the character then goes back.
        QTRY_COMPARE(window->pos(), before - QPoint(40, 30));
    }
};

QTEST_MAIN(CharacterTest)
#include "character_test.moc"
