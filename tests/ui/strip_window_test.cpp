// The strip window on a real X server: its size and place, its controls and their stacking, and the
// blinking line of the rolled-up strip.
#include "engine/StripGeometry.h"
#include "engine/StripModel.h"
#include "platform/x11/QtPlatform.h"
#include "ui/strip/Caption.h"
#include "ui/strip/Form1.h"

#include <QSet>
#include <QTest>

using namespace dialoon;

namespace {

// Counts the paint events of a window and all its controls, and the requests that lead to them.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget* window)
    {
        window->installEventFilter(this);
        for (QWidget* child : window->findChildren<QWidget*>())
            child->installEventFilter(this);
    }
    int paints = 0;
    int requests = 0;
    int layouts = 0;
    QSet<QString> painted; // the names of what was drawn

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            painted.insert(watched->objectName());
        }
        if (event->type() == QEvent::UpdateRequest || event->type() == QEvent::LayoutRequest) ++requests;
        if (event->type() == QEvent::LayoutRequest) ++layouts;
        return false;
    }
};

} // namespace

class StripWindowTest : public QObject
{
    Q_OBJECT
private:
    QtPlatform platform;
    StripModel model;
    std::unique_ptr<Form1> strip;

private slots:
    void initTestCase()
    {
        strip = std::make_unique<Form1>(model, platform);
        platform.setStripWindow(strip.get());
        model.left = 3000;
        model.top = 2000;
        model.visible = true;
        for (bool& on : model.timerEnabled)
            on = false;
        StripGeometry::Get_Windows_Rect(model, platform);
        strip->render();
        QVERIFY(QTest::qWaitForWindowExposed(strip.get()));
    }

    void snapsToTheTopEdgeAtFullHeight()
    {
        // The window manager may answer the placement after the window is first exposed.
        QTRY_COMPARE(strip->geometry(), QRect(200, 0, 477, 23));
        QCOMPARE(model.windowRect, (PixelRect{200, 0, 677, 23}));
        QVERIFY(strip->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(strip->windowFlags() & Qt::FramelessWindowHint);
    }

    void controlsStandInTheirPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("German caption, wider than the strip") << "Label1" << QRect(0, 3, 885, 19);
        QTest::newRow("English caption below the strip") << "Label2" << QRect(0, 27, 443, 22);
        QTest::newRow("bar along the top") << "Label3" << QRect(0, 0, 420, 1);
        QTest::newRow("cover at the right end") << "Label4" << QRect(456, 1, 27, 22);
        QTest::newRow("menu button") << "Image1" << QRect(456, 3, 18, 18);
        QTest::newRow("frame") << "Shape1" << QRect(0, 1, 476, 22);
    }
    void controlsStandInTheirPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        auto* control = strip->findChild<QWidget*>(name);
        QVERIFY(control);
        // A caption's text moves inside it: what counts is where its line stands.
        const auto* caption = qobject_cast<Caption*>(control);
        QCOMPARE(caption ? caption->line() : control->geometry(), pixels);
    }

    void stackingPutsTheEnglishOnTopAndTheGermanAtTheBottom()
    {
        QStringList order; // bottom to top
        for (QObject* child : strip->children())
            if (auto* w = qobject_cast<QWidget*>(child); w && w->objectName() != "Bar")
                order << w->objectName();
        QCOMPARE(order, (QStringList{"Label1", "Label4", "Image1", "Label3", "Shape1", "Label2"}));
    }

    void captionsKeepTheirBlanks()
    {
        model.label1Text = QStringLiteral("   Guten Tag.  ");
        strip->render();
        QCOMPARE(strip->german()->text(), QStringLiteral("   Guten Tag.  "));
    }

    void rolledUpStripShowsTheLineOverEverything()
    {
        model.height = StripDesign::kRolledUpHeight;
        model.barDrawn = 12;
        strip->render();
        QTRY_COMPARE(strip->height(), 1);
        const QImage shot = strip->grab().toImage();
        QCOMPARE(shot.pixelColor(10, 0), QColor(255, 0, 0));
        QCOMPARE(shot.pixelColor(470, 0), QColor(255, 0, 0));
        model.height = model.fullHeight;
        model.barDrawn = -1;
        strip->render();
        QTRY_COMPARE(strip->height(), 23);
        QVERIFY(strip->grab().toImage().pixelColor(10, 12) != QColor(255, 0, 0));
    }

    // Whether the English rise's next step would change what the screen shows: a step of 10 twips is less
    // than a pixel, and below the strip nothing shows.
    void englishLooksTheSameUnlessItsPixelsChange_data()
    {
        QTest::addColumn<float>("top");
        QTest::addColumn<float>("next");
        QTest::addColumn<QString>("nextText");
        QTest::addColumn<bool>("same");
        const QString text = QStringLiteral(" Good day.");
        QTest::newRow("unchanged") << 150.0f << 150.0f << text << true;
        QTest::newRow("two pixels up") << 150.0f << 120.0f << text << false;
        QTest::newRow("a new text") << 150.0f << 150.0f << QStringLiteral(" Good night.") << false;
        QTest::newRow("below the strip") << 400.0f << 390.0f << text << true;
        QTest::newRow("coming into view") << 400.0f << 300.0f << text << false;
    }
    void englishLooksTheSameUnlessItsPixelsChange()
    {
        QFETCH(float, top);
        QFETCH(float, next);
        QFETCH(QString, nextText);
        QFETCH(bool, same);
        model.label2Text = QStringLiteral(" Good day.");
        model.label2Top = top;
        strip->render();
        QCOMPARE(strip->englishLooksTheSame(next, nextText), same);
    }
    // Steps of 10 twips leave the line where it is often enough for their ticks to wait.
    void riseStepsOftenMoveNoPixel()
    {
        int unmoved = 0;
        for (float at = 200.0f; at > 100.0f; at -= 10.0f) {
            model.label2Top = at;
            strip->render();
            unmoved += strip->englishLooksTheSame(at - 10.0f, model.label2Text) ? 1 : 0;
        }
        QVERIFY2(unmoved >= 3 && unmoved < 10, qPrintable(QString::number(unmoved)));
    }

    // The strip's timers bring it in line with the model many times a second: when nothing changed,
    // nothing is drawn.
    void anUnchangedModelDrawsNothing()
    {
        strip->render();
        QTest::qWait(50);
        PaintCounter counter(strip.get());
        for (int tick = 0; tick < 20; ++tick)
            strip->render();
        QTest::qWait(50);
        QCOMPARE(counter.paints, 0);
        // While a caption that changed is drawn.
        model.label1Text = QStringLiteral(" Guten Abend.");
        strip->render();
        QTRY_VERIFY(counter.paints > 0);
    }

    // The steps of the sliding sentence and of the rising translation draw the captions on the strip's
    // background, and ask for nothing else: no new layout of the strip, and, away from its edges, no
    // drawing of the outline around the captions.
    void aCaptionStepDrawsOnlyTheCaptions()
    {
        const QString sentence = QStringLiteral("Guten Tag.");
        model.label1Text = QString(20, u' ') + sentence;
        model.label2Text = QString();
        strip->render();
        QTest::qWait(50);
        PaintCounter counter(strip.get());
        for (int blanks = 19; blanks > 4; --blanks) {
            model.label1Text = QString(blanks, u' ') + sentence;
            strip->render();
            QTRY_VERIFY(counter.painted.contains(QStringLiteral("Label1")));
            QVERIFY2(!counter.painted.contains(QStringLiteral("Shape1")),
                     qPrintable(counter.painted.values().join(u' ')));
        }
        model.label1Text = QString();
        model.label2Text = QStringLiteral(" Good day.");
        for (float top = 120.0f; top >= StripDesign::kLabel2RestTop; top -= 10.0f) {
            model.label2Top = top;
            strip->render();
        }
        QTRY_VERIFY(counter.painted.contains(QStringLiteral("Label2")));
        QTest::qWait(50);
        QCOMPARE(counter.layouts, 0);
    }

    // Rolled up, the captions lie below the one row left on the screen: their changes draw nothing.
    void captionsOfTheRolledUpStripDrawNothing()
    {
        model.height = StripDesign::kRolledUpHeight;
        model.barDrawn = 10;
        strip->render();
        QTRY_COMPARE(strip->height(), 1);
        QTest::qWait(50);
        PaintCounter counter(strip.get());
        for (int step = 0; step < 5; ++step) {
            model.label1Text = QString(5 - step, u' ') + QStringLiteral("Guten Tag.");
            model.label2Top -= 10.0f;
            strip->render();
            QTest::qWait(10);
        }
        QCOMPARE(counter.paints, 0);
        QCOMPARE(counter.requests, 0);
        // Unrolled, the captions show what the model holds at once; meanwhile the English one has risen.
        model.label2Top = StripDesign::kLabel2RestTop;
        model.height = model.fullHeight;
        model.barDrawn = -1;
        strip->render();
        QCOMPARE(strip->german()->text(), model.label1Text);
        QCOMPARE(strip->english()->line(), platform.toPixelRect(0, model.label2Top, 6650, 330));
        QTRY_COMPARE(strip->height(), 23);
    }
};

QTEST_MAIN(StripWindowTest)
#include "strip_window_test.moc"
