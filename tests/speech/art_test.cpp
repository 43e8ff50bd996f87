// Peedy's drawing: each pose moves the right part and only that part, and the window shape taken from
// the picture's transparency.
#include "base/Errors.h"
#include "speech/CharacterArt.h"
#include "speech/ShapeMask.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QRegion>
#include <QTemporaryFile>
#include <QTest>

using namespace dialoon;

Q_DECLARE_METATYPE(dialoon::CharacterPose)

namespace {

constexpr int kSide = 128;

// How many pixels differ inside and outside a rectangle (in points of the 128 square).
struct Difference
{
    int inside = 0;
    int outside = 0;
};

Difference compare(const QImage& a, const QImage& b, const QRect& area)
{
    Difference d;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) ++(area.contains(x, y) ? d.inside : d.outside);
        }
    }
    return d;
}

QImage drawn(const CharacterArt& art, const CharacterPose& pose)
{
    QImage image(QSize(kSide, kSide), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    art.paint(painter, QRectF(0, 0, kSide, kSide), pose);
    return image;
}

bool opaqueAt(const QImage& image, int x, int y)
{
    return qAlpha(image.pixel(x, y)) == 255;
}

} // namespace

class ArtTest : public QObject
{
    Q_OBJECT

private:
    CharacterArt art;
    QImage rest = art.render(QSize(kSide, kSide), 1.0, CharacterPose());

private slots:
    // Each movement must change its own part of the picture and leave the rest alone.
    void eachPoseMovesItsOwnPart_data()
    {
        QTest::addColumn<CharacterPose>("pose");
        QTest::addColumn<QRect>("area");
        CharacterPose open;
        open.beakOpen = 1.0;
        CharacterPose shut;
        shut.lidClosure = 1.0;
        CharacterPose raised;
        raised.wingAngle = -135.0;
        CharacterPose inhaled;
        inhaled.breath = 1.05;
        CharacterPose exhaled;
        exhaled.breath = 0.95;
        QTest::newRow("beak") << open << QRect(44, 48, 30, 40);
        QTest::newRow("breathing in: the belly") << inhaled << QRect(36, 70, 47, 47);
        QTest::newRow("breathing out: the belly") << exhaled << QRect(36, 70, 47, 47);
        QTest::newRow("lids") << shut << QRect(38, 30, 45, 28);
        QTest::newRow("wing") << raised << QRect(70, 10, 58, 110);
    }
    void eachPoseMovesItsOwnPart()
    {
        QFETCH(CharacterPose, pose);
        QFETCH(QRect, area);
        const Difference d = compare(drawn(art, CharacterPose{}), drawn(art, pose), area);
        QVERIFY2(d.inside > 40, qPrintable(QString::number(d.inside)));
        QCOMPARE(d.outside, 0);
    }

    void growsAboutTheFeet()
    {
        CharacterPose half;
        half.scale = 0.5;
        const QImage image = art.render(QSize(kSide, kSide), 1.0, half);
        QCOMPARE(qAlpha(image.pixel(59, 20)), 0); // where the crest stands at full size
        QVERIFY(opaqueAt(image, 59, 110));        // the belly, low down
    }

    // Every new outline makes the window system expose the window again: the breath stays inside it.
    void breathingKeepsTheOutline()
    {
        const QRegion restShape(shapeMaskFromAlpha(rest));
        for (const double breath : {0.95, 0.975, 1.025, 1.05}) {
            CharacterPose pose;
            pose.breath = breath;
            const QImage picture = art.render(QSize(kSide, kSide), 1.0, pose);
            QVERIFY2(picture != rest, qPrintable(QString::number(breath)));
            QVERIFY2(QRegion(shapeMaskFromAlpha(picture)) == restShape, qPrintable(QString::number(breath)));
        }
    }

    // Growing frames come from a finer picture of the bird at rest, scaled; they must stand where the
    // drawn ones would.
    void scaledRestFramesMatchDrawnOnes_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("growing") << 0.6;
        QTest::newRow("overshooting") << 1.05;
    }
    void scaledRestFramesMatchDrawnOnes()
    {
        QFETCH(double, scale);
        CharacterPose pose;
        pose.scale = scale;
        const QImage scaled = art.render(QSize(kSide, kSide), 1.0, pose);
        const QImage direct = drawn(art, pose);
        long long total = 0;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x)
                total += std::abs(qAlpha(scaled.pixel(x, y)) - qAlpha(direct.pixel(x, y)));
        }
        // A shift by one pixel would differ by the outline's length times 255.
        QVERIFY2(total / 255 < 60, qPrintable(QString::number(total / 255)));
    }

    // Moving frames are put together from finer pictures of the parts; each part must stand where the
    // drawn one would, at any size, breath and combination of movements.
    void composedMovingFramesMatchDrawnOnes_data()
    {
        QTest::addColumn<CharacterPose>("pose");
        const auto pose = [](double scale, double breath, double beak, double lid, double wing) {
            CharacterPose p;
            p.scale = scale;
            p.breath = breath;
            p.beakOpen = beak;
            p.lidClosure = lid;
            p.wingAngle = wing;
            return p;
        };
        QTest::newRow("beak open") << pose(1.0, 1.0, 1.0, 0.0, 0.0);
        QTest::newRow("breathing in") << pose(1.0, 1.05, 0.0, 0.0, 0.0);
        QTest::newRow("breathing out, growing") << pose(0.6, 0.95, 0.0, 0.0, 0.0);
        QTest::newRow("beak half open, breathing in") << pose(1.0, 1.025, 0.5, 0.0, 0.0);
        QTest::newRow("lids shut") << pose(1.0, 1.0, 0.0, 1.0, 0.0);
        QTest::newRow("lids half way, breathing out") << pose(1.0, 0.975, 0.0, 0.5, 0.0);
        QTest::newRow("wing raised") << pose(1.0, 1.0, 0.0, 0.0, -135.0);
        QTest::newRow("wing swinging, growing") << pose(0.7, 1.0, 0.0, 0.0, -113.0);
        QTest::newRow("all at once") << pose(1.0, 1.05, 0.8, 0.3, -60.0);
    }
    void composedMovingFramesMatchDrawnOnes()
    {
        QFETCH(CharacterPose, pose);
        const QImage composed = art.render(QSize(kSide, kSide), 1.0, pose);
        const QImage direct = drawn(art, pose);
        long long total = 0;
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                const QRgb a = composed.pixel(x, y);
                const QRgb b = direct.pixel(x, y);
                total += std::abs(qAlpha(a) - qAlpha(b)) + std::abs(qRed(a) - qRed(b)) +
                         std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
            }
        }
        // The whole bird a pixel to the side differs by about 1000 to 1500 here; resampling the finer parts
        // costs up to about 170 (most at small sizes).
        QVERIFY2(total / 255 < 200, qPrintable(QString::number(total / 255)));
    }

    void drawingWithoutItsPartsIsRefused()
    {
        QTemporaryFile svg(QDir::tempPath() + QStringLiteral("/XXXXXX.svg"));
        QVERIFY(svg.open());
        svg.write("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 10 10'>"
                  "<g id='body'><rect width='10' height='10'/></g></svg>");
        svg.close();
        QVERIFY_THROWS_EXCEPTION(SpeechError, CharacterArt(svg.fileName()));
        QVERIFY_THROWS_EXCEPTION(SpeechError, CharacterArt(QStringLiteral(":/character/none.svg")));
    }

    void maskFollowsTheOpaquePixels()
    {
        const QRegion shape(shapeMaskFromAlpha(rest));
        QVERIFY(shape.contains(QPoint(59, 90))); // belly
        QVERIFY(shape.contains(QPoint(59, 45))); // face
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(kSide - 1, 0), QPoint(0, kSide - 1), QPoint(kSide - 1, kSide - 1)})
            QVERIFY(!shape.contains(corner));
        QVERIFY(shape.boundingRect().width() > kSide / 2);
    }

    void maskHasDevicePixelRatioInMind()
    {
        const QImage sharp = art.render(QSize(kSide, kSide), 2.0, CharacterPose{});
        const QBitmap mask = shapeMaskFromAlpha(sharp);
        QCOMPARE(mask.size(), QSize(kSide, kSide));
        QVERIFY(QRegion(mask).contains(QPoint(59, 90)));
    }

    void emptyPictureStillGivesAMask()
    {
        QImage nothing(QSize(kSide, kSide), QImage::Format_ARGB32_Premultiplied);
        nothing.fill(Qt::transparent);
        const QRegion shape(shapeMaskFromAlpha(nothing));
        QVERIFY(!shape.isEmpty()); // an empty mask would show the whole window
        QVERIFY(shape.boundingRect().width() * shape.boundingRect().height() <= 1);
    }
};

QTEST_MAIN(ArtTest)
#include "art_test.moc"
