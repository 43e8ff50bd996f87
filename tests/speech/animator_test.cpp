// The character's movements, stepped tick by tick: appearing, vanishing, waving, blinking, the beak
// following the voice, and when frames are asked for.
#include "speech/CharacterAnimator.h"

#include <QTest>

using namespace dialoon;

namespace {

using Events = CharacterAnimator::Events;

// Steps in frame-sized ticks, collecting what finished on the way.
Events run(CharacterAnimator& animator, int ms, int tick = 10)
{
    Events all;
    for (int done = 0; done < ms; done += tick) {
        const Events e = animator.advance(std::min(tick, ms - done));
        all.appeared |= e.appeared;
        all.vanished |= e.vanished;
        all.waveEnded |= e.waveEnded;
    }
    return all;
}

CharacterAnimator shown(std::uint32_t seed = 7)
{
    CharacterAnimator animator(seed);
    animator.show();
    run(animator, CharacterAnimator::kAppearMs);
    return animator;
}

SpeechMark phoneme(int atMs, double mouth)
{
    return {SpeechMark::Kind::Phoneme, atMs, 0, 0, mouth};
}

} // namespace

class AnimatorTest : public QObject
{
    Q_OBJECT

private slots:
    void appearsOverItsTimeThenStands()
    {
        CharacterAnimator animator(1);
        QCOMPARE(animator.phase(), CharacterAnimator::Phase::Hidden);
        QCOMPARE(animator.frameIntervalMs(), 0);
        animator.show();
        QVERIFY(animator.isVisible());
        QVERIFY(!run(animator, CharacterAnimator::kAppearMs - 10).appeared);
        QVERIFY(animator.pose().scale > 0.5);
        QCOMPARE(animator.phase(), CharacterAnimator::Phase::Appearing);
        QVERIFY(animator.advance(10).appeared);
        QCOMPARE(animator.phase(), CharacterAnimator::Phase::Shown);
        QCOMPARE(animator.pose().scale, 1.0);
    }

    void vanishesAndThenAsksForNoFrames()
    {
        CharacterAnimator animator = shown();
        animator.hide();
        QVERIFY(!animator.isVisible());
        QVERIFY(!run(animator, CharacterAnimator::kVanishMs - 10).vanished);
        QVERIFY(animator.pose().scale > 0.0);
        QVERIFY(animator.advance(10).vanished);
        QCOMPARE(animator.phase(), CharacterAnimator::Phase::Hidden);
        QCOMPARE(animator.frameIntervalMs(), 0);
        QVERIFY(!run(animator, 1000).vanished); // nothing more happens while hidden
    }

    // Turning round half way must not make the character jump in size.
    void turningRoundStartsFromTheCurrentSize_data()
    {
        QTest::addColumn<bool>("appearFirst");
        QTest::newRow("show while vanishing") << false;
        QTest::newRow("hide while appearing") << true;
    }
    void turningRoundStartsFromTheCurrentSize()
    {
        QFETCH(bool, appearFirst);
        CharacterAnimator animator = appearFirst ? CharacterAnimator(3) : shown();
        if (appearFirst)
            animator.show();
        else
            animator.hide();
        run(animator, 200);
        const double before = animator.pose().scale;
        if (appearFirst)
            animator.hide();
        else
            animator.show();
        QCOMPARE(animator.pose().scale, before);
        animator.advance(10);
        QVERIFY(std::abs(animator.pose().scale - before) < 0.1);
    }

    void waveRaisesTheWingAndEndsOnce()
    {
        CharacterAnimator animator = shown();
        QCOMPARE(animator.pose().wingAngle, 0.0);
        animator.wave();
        run(animator, CharacterAnimator::kWaveMs / 2);
        QVERIFY(animator.pose().wingAngle < -100.0);
        QVERIFY(run(animator, CharacterAnimator::kWaveMs / 2).waveEnded);
        QVERIFY(!animator.isWaving());
        QCOMPARE(animator.pose().wingAngle, 0.0);
        QVERIFY(!run(animator, 2000).waveEnded);
    }

    void hidingEndsWaveAndSpeech()
    {
        CharacterAnimator animator = shown();
        animator.wave();
        animator.startSpeaking({phoneme(0, 1.0)});
        run(animator, 100);
        animator.hide();
        QVERIFY(!animator.isWaving());
        QVERIFY(!animator.isSpeaking());
        QVERIFY(!run(animator, 2000).waveEnded);
    }

    void blinksEveryFewSecondsAndBriefly()
    {
        for (std::uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
            CharacterAnimator animator = shown(seed);
            int blinks = 0;
            int closedMs = 0;
            bool wasClosed = false;
            for (int t = 0; t < 20000; t += 10) {
                animator.advance(10);
                const bool closed = animator.pose().lidClosure > 0.5;
                if (closed && !wasClosed) ++blinks;
                closedMs = closed ? closedMs + 10 : 0;
                QVERIFY(closedMs <= CharacterAnimator::kBlinkMs);
                wasClosed = closed;
            }
            QVERIFY2(blinks >= 3 && blinks <= 8, qPrintable(QString::number(blinks)));
        }
    }

    void beakFollowsThePhonemesAndClosesAfterwards()
    {
        CharacterAnimator animator = shown();
        animator.startSpeaking({phoneme(0, 1.0), phoneme(200, 0.0), phoneme(400, 0.65), phoneme(600, 0.0)});
        QCOMPARE(animator.frameIntervalMs(), CharacterAnimator::kBusyFrameMs);
        run(animator, 150);
        QVERIFY(animator.pose().beakOpen > 0.8);
        run(animator, 200); // 350 ms: lips closed since 200
        QVERIFY(animator.pose().beakOpen < 0.1);
        run(animator, 150); // 500 ms
        QVERIFY(animator.pose().beakOpen > 0.5 && animator.pose().beakOpen < 0.8);
        animator.stopSpeaking();
        run(animator, 200);
        QCOMPARE(animator.pose().beakOpen, 0.0);
    }

    // The balloon shows the words as far as the voice has reached, a word at a time.
    void theWordsHeardFollowTheVoice()
    {
        CharacterAnimator animator = shown();
        const auto word = [](int atMs, int start, int length) {
            return SpeechMark{SpeechMark::Kind::Word, atMs, start, length, 0.0};
        };
        animator.startSpeaking({word(0, 0, 5), phoneme(0, 1.0), phoneme(150, 0.0), word(300, 6, 3)});
        QCOMPARE(animator.heardLength(), 5);
        run(animator, 290);
        QCOMPARE(animator.heardLength(), 5);
        run(animator, 10);
        QCOMPARE(animator.heardLength(), 9);
        animator.stopSpeaking();
        QCOMPARE(animator.heardLength(), 0);
    }

    // While it speaks or waves the bird holds its breath at rest, wherever in the breath it began, so
    // that its frames differ only in the beak, lids and wing and come back sentence after sentence;
    // afterwards it breathes on.
    void holdsItsBreathAtRestWhileSpeakingOrWaving_data()
    {
        QTest::addColumn<bool>("speaks");
        QTest::addColumn<int>("into");
        for (const bool speaks : {true, false})
            for (const int ms : {0, 400, 850, 1300, 1700, 2100, 2550, 3000, 3390})
                QTest::addRow("%s, %d ms into the breath", speaks ? "speaking" : "waving", ms)
                    << speaks << ms;
    }
    void holdsItsBreathAtRestWhileSpeakingOrWaving()
    {
        QFETCH(bool, speaks);
        QFETCH(int, into);
        CharacterAnimator animator = shown();
        run(animator, CharacterAnimator::kBreathMs -
                          CharacterAnimator::kAppearMs % CharacterAnimator::kBreathMs + into);
        if (speaks)
            animator.startSpeaking({phoneme(0, 1.0), phoneme(900, 0.0)});
        else
            animator.wave();
        for (int step = 0; step < 7; ++step) {
            run(animator, 200);
            QCOMPARE(animator.pose().breath, 1.0);
        }
        animator.stopSpeaking();
        run(animator, 400);
        QVERIFY(animator.pose().breath != 1.0);
    }

    // Breathing alone, a frame is asked for when the picture changes, and then it has: four times a
    // breath, each showing the belly a pixel rounder or flatter.
    void breathingAsksForAFrameWhenThePictureChanges()
    {
        CharacterAnimator animator = shown(11);
        CharacterPose before = animator.pose().quantized();
        int breathing = 0; // frames asked for while only breathing or blinking
        int unchanged = 0;
        for (int elapsed = 0; elapsed < 3 * CharacterAnimator::kBreathMs;) {
            breathing += animator.isBusy() ? 0 : 1;
            const int interval = animator.frameIntervalMs();
            QVERIFY(interval > 0 && interval <= CharacterAnimator::kIdleFrameMaxMs);
            run(animator, interval);
            elapsed += interval;
            const CharacterPose now = animator.pose().quantized();
            if (now == before && !animator.isBusy()) ++unchanged;
            before = now;
        }
        QCOMPARE(unchanged, 0);
        // Four a breath, and two a blink (shut, open).
        QVERIFY2(breathing <= 3 * 4 + 2 * 5, qPrintable(QString::number(breathing)));
    }

    // Every wave passes through the same few places of the wing, whenever its frames are drawn: each
    // new place is a new outline of the window.
    void wavesRepeatTheirPoses()
    {
        QSet<double> angles;
        for (const int tick : {7, 13, 20, 33, 41, 50}) {
            CharacterAnimator animator = shown();
            animator.wave();
            double last = 0.0;
            int moves = 0;
            for (int done = 0; done < CharacterAnimator::kWaveMs + tick; done += tick) {
                run(animator, tick, tick);
                const double angle = animator.pose().quantized().wingAngle;
                moves += angle != last ? 1 : 0;
                last = angle;
                angles.insert(angle);
            }
            QVERIFY2(moves <= 6, qPrintable(QStringLiteral("%1 ms ticks: %2 places").arg(tick).arg(moves)));
            QCOMPARE(last, 0.0);
        }
        QCOMPARE(angles.size(), 3); // at rest, and the two places of the swing
    }

    // A wave asks for a frame when the wing takes its next place (or the lids shut or open), and not
    // between.
    void aWaveAsksForAFrameWhenTheWingMoves()
    {
        CharacterAnimator animator = shown(11);
        run(animator, CharacterAnimator::kBreathMs / 4); // past the moment the breath is held at
        animator.wave();
        CharacterPose before = animator.pose().quantized();
        int frames = 0;
        bool ended = false;
        while (!ended) {
            const int interval = animator.frameIntervalMs();
            QVERIFY(interval > 0);
            ended = run(animator, interval).waveEnded;
            const CharacterPose now = animator.pose().quantized();
            QVERIFY2(now != before, qPrintable(QString::number(frames)));
            before = now;
            QVERIFY(++frames <= 10);
        }
        QCOMPARE(before.wingAngle, 0.0);
    }
};

QTEST_GUILESS_MAIN(AnimatorTest)
#include "animator_test.moc"
