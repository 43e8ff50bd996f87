// The balloon: the words as they are heard, each drawn again alone, and its going after the voice ends,
// on a clock moved by hand: it fades where the desktop shows a window's opacity, and goes at once where
// it would not.
#include "speech/SpeechBalloon.h"

#include "FakePlatform.h"
#include "base/TickTimer.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QTest>

using namespace dialoon;

namespace {

constexpr std::int64_t kMs = 1'000'000;

QImage picture(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    widget.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// The areas the widget asked to have drawn again.
class PaintLog : public QObject
{
public:
    explicit PaintLog(QWidget& widget) { widget.installEventFilter(this); }
    QRegion painted;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) painted |= static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

} // namespace

class BalloonTest : public QObject
{
    Q_OBJECT
private:
    std::int64_t now = 0;

    // Moves the clock to the moments it asks to be woken at, up to ms.
    void followClockUntil(std::int64_t ms)
    {
        for (std::int64_t at = TickTimer::wakeMomentForTests(); at >= 0 && at <= ms * kMs;
             at = TickTimer::wakeMomentForTests()) {
            now = std::max(now, at);
            TickTimer::wakeForTests();
        }
        now = ms * kMs;
    }

private slots:
    // Whatever a word heard changes in the picture lies in the area drawn again for it.
    void eachWordHeardIsDrawnWhereItStands()
    {
        FakePlatform platform;
        SpeechBalloon balloon(platform);
        const QString sentence = QStringLiteral(
            "Können Sie mir bitte sagen, wo der Bahnhof ist? Ich möchte heute noch nach Köln fahren.");
        balloon.say(sentence, QRect(600, 400, 128, 128));
        QVERIFY(QTest::qWaitForWindowExposed(&balloon));
        PaintLog log(balloon);
        QImage before = picture(balloon);
        int words = 0;
        for (qsizetype at = sentence.indexOf(QLatin1Char(' '));
             at >= 0 || balloon.revealed() < sentence.size();
             at = sentence.indexOf(QLatin1Char(' '), at + 1)) {
            log.painted = QRegion();
            balloon.reveal(at >= 0 ? int(at) : int(sentence.size()));
            QTRY_VERIFY(!log.painted.isEmpty());
            const QRegion painted = log.painted;
            const QImage after = picture(balloon);
            for (int y = 0; y < after.height(); ++y)
                for (int x = 0; x < after.width(); ++x)
                    if (after.pixel(x, y) != before.pixel(x, y) && !painted.contains(QPoint(x, y)))
                        QFAIL(qPrintable(
                            QStringLiteral("(%1, %2) changed outside the area drawn again").arg(x).arg(y)));
            QVERIFY(painted.boundingRect().height() < balloon.height() / 2);
            before = after;
            ++words;
            if (at < 0) break;
        }
        QCOMPARE(words, int(sentence.count(QLatin1Char(' '))) + 1);
    }

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
        QCOMPARE(balloon.windowOpacity(), 1.0);                      // whole again for the next sentence

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
