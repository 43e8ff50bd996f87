// The balloon's going after the voice ends, on a clock moved by hand: it fades where the desktop shows a
// window's opacity, and goes at once where it would not.
#include "speech/SpeechBalloon.h"

#include "FakePlatform.h"
#include "platform/TickTimer.h"

#include <QApplication>
#include <QScopeGuard>
#include <QTest>

using namespace dialoon;

namespace {

constexpr std::int64_t kMs = 1'000'000;

} // namespace

class BalloonTest : public QObject
{
    Q_OBJECT
private:
    std::int64_t now = 0;

    // Moves the clock to the moments it asks to be woken at, up to ms.
    void followClockUntil(std::int64_t ms)
    {
        for (std::int64_t at = TickTimer::wakeMomentForTests(); at >= 0 && at <= ms * kMs; at = TickTimer::wakeMomentForTests()) {
            now = std::max(now, at);
            TickTimer::wakeForTests();
        }
        now = ms * kMs;
    }

private slots:
    void goesAfterLingering_data()
    {
        QTest::addColumn<bool>("blending");
        QTest::newRow("a compositing desktop: it fades") << true;
        QTest::newRow("no compositing manager: it goes at once") << false;
    }
    void goesAfterLingering()
    {
        QFETCH(bool, blending);
        now = 0;
        TickTimer::useTimeForTests([this] { return now; });
        const auto realTime = qScopeGuard([] { TickTimer::useTimeForTests({}); });
        FakePlatform platform;
        platform.blending = blending;
        SpeechBalloon balloon(platform);
        balloon.say(QStringLiteral("Guten Tag.  "), QRect(600, 400, 128, 128));
        balloon.revealAll();
        balloon.linger();
        QVERIFY(balloon.isVisible());

        followClockUntil(SpeechBalloon::kLingerMs - TickTimer::kGridMs);
        QVERIFY(balloon.isVisible());
        QCOMPARE(balloon.windowOpacity(), 1.0);

        followClockUntil(SpeechBalloon::kLingerMs + SpeechBalloon::kFadeStepMs);
        QCOMPARE(balloon.isVisible(), blending);
        if (blending) {
            QVERIFY(balloon.windowOpacity() < 1.0);
            followClockUntil(SpeechBalloon::kLingerMs + SpeechBalloon::kFadeMs + SpeechBalloon::kFadeStepMs);
            QVERIFY(!balloon.isVisible());
        }
        QCOMPARE(TickTimer::wakeMomentForTests(), std::int64_t(-1)); // nothing left to wake for
        QCOMPARE(balloon.windowOpacity(), 1.0);                     // whole again for the next sentence

        // A new sentence before the end cancels the going.
        balloon.say(QStringLiteral("Auf Wiedersehen."), QRect(600, 400, 128, 128));
        balloon.linger();
        balloon.say(QStringLiteral("Bis morgen."), QRect(600, 400, 128, 128));
        followClockUntil(2 * (SpeechBalloon::kLingerMs + SpeechBalloon::kFadeMs));
        QVERIFY(balloon.isVisible());
        QCOMPARE(balloon.windowOpacity(), 1.0);
    }
};

QTEST_MAIN(BalloonTest)
#include "balloon_test.moc"
