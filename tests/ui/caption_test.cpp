// The strip's captions look as a label with the same text would, while the sentence that slides in, one
// leading blank fewer at each step, moves as one picture by whole pixels, and a new text or a new place
// of the line is drawn again only where the text stood and stands.
#include "ui/strip/Caption.h"

#include <QImage>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QTest>

#include <type_traits>

using namespace dialoon;

namespace {

template <typename Label> QImage drawn(Label& label, const QString& text)
{
    label.setText(text);
    QImage image(label.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(58, 110, 165));
    QPainter painter(&image);
    label.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

template <typename Label> void dress(Label& label)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(10.5);
    label.setFont(font);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label.setPalette(palette);
    label.setAttribute(Qt::WA_TranslucentBackground);
    if constexpr (std::is_same_v<Label, QLabel>) {
        label.setTextFormat(Qt::PlainText);
        label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    label.resize(300, 19);
}

// The pixels a text changes on the caption's background.
QRegion inked(const QString& text)
{
    QLabel label;
    dress(label);
    const QImage bare = drawn(label, QString());
    const QImage image = drawn(label, text);
    QRegion region;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != bare.pixel(x, y)) region += QRect(x, y, 1, 1);
    return region;
}

class PaintRecorder : public QObject
{
public:
    QRegion painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
        return QObject::eventFilter(watched, event);
    }
};

// A caption in a window on the screen, the paints of both recorded once the first frame is drawn.
struct Stage
{
    QWidget window;
    Caption* caption = new Caption(&window);
    PaintRecorder own;     // the caption's, in its own coordinates
    PaintRecorder beneath; // the window's

    Stage(QSize size, QPoint at, const QString& text)
    {
        window.resize(size);
        dress(*caption);
        caption->move(at);
        caption->setText(text);
        caption->installEventFilter(&own);
        window.installEventFilter(&beneath);
        window.show();
    }
    bool settle()
    {
        if (!QTest::qWaitForWindowExposed(&window) ||
            !QTest::qWaitFor([this] { return !own.painted.isEmpty() && !beneath.painted.isEmpty(); }))
            return false;
        own.painted = beneath.painted = QRegion();
        return true;
    }
};

// The columns of an image that differ from its background, as [first, last]; {0, -1} when none do.
std::pair<int, int> inkedColumns(const QImage& image)
{
    const QRgb background = image.pixel(image.width() - 1, 0);
    int first = image.width();
    int last = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
    return last < 0 ? std::pair{0, -1} : std::pair{first, last};
}

// Whether `moved` is `picture` moved right by `by` pixels, wherever the caption shows both.
bool sameMoved(const QImage& picture, const QImage& moved, int by)
{
    for (int y = 0; y < moved.height(); ++y)
        for (int x = std::max(0, by); x < std::min(moved.width(), picture.width() + by); ++x)
            if (moved.pixel(x, y) != picture.pixel(x - by, y)) return false;
    return true;
}

// A text after leading blanks is drawn as the label draws it after one blank, moved by whole pixels, and
// stands within a pixel of where the label puts it.
void checkMovedLikeALabel(Caption& caption, QLabel& label, const QString& body, int blanks)
{
    const QString text = QString(blanks, QLatin1Char(' ')) + body;
    const QImage restingLabel = drawn(label, QLatin1Char(' ') + body);
    const QImage atLabel = drawn(label, text);
    const QImage atCaption = drawn(caption, text);
    QCOMPARE(drawn(caption, QLatin1Char(' ') + body), restingLabel);
    const int by = inkedColumns(atCaption).first - inkedColumns(restingLabel).first;
    QVERIFY2(sameMoved(restingLabel, atCaption, by), qPrintable(text));
    QVERIFY2(std::abs(inkedColumns(atLabel).first - inkedColumns(atCaption).first) <= 1, qPrintable(text));
}

} // namespace

class CaptionTest : public QObject
{
    Q_OBJECT
private slots:
    void looksLikeALabel_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QStringLiteral("Guten Tag.  ");
        QTest::newRow("a leading blank") << QStringLiteral(" Wie geht es Ihnen?  ");
        QTest::newRow("a blank before a kerned letter") << QStringLiteral(" AVATAR, Tür, Wörter.");
        QTest::newRow("umlauts and sharp s") << QStringLiteral(" Äpfel, Öl, Übung, Straße.");
        QTest::newRow("only blanks") << QStringLiteral("     ");
        QTest::newRow("empty") << QString();
    }
    void looksLikeALabel()
    {
        QFETCH(QString, text);
        QLabel label;
        Caption caption;
        dress(label);
        dress(caption);
        QCOMPARE(drawn(caption, text), drawn(label, text));
    }

    void blanksMoveTheTextByWholePixels_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("blanks");
        QTest::newRow("six blanks") << QStringLiteral("Wie geht es Ihnen?  ") << 6;
        QTest::newRow("before a kerned letter") << QStringLiteral("AVATAR, Tür, Wörter.") << 3;
    }
    void blanksMoveTheTextByWholePixels()
    {
        QFETCH(QString, body);
        QFETCH(int, blanks);
        QLabel label;
        Caption caption;
        dress(label);
        dress(caption);
        checkMovedLikeALabel(caption, label, body, blanks);
    }

    // A text wider than the caption is never cut: it is set smaller, or, longer still, shows its
    // beginning and scrolls (the label cuts both).
    void aLongTextIsNotCutAtTheEdge_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fitsWhole");
        QTest::newRow("a little too wide")
            << QStringLiteral(" Können Sie mir bitte sagen, wo der Bahnhof ist?") << true;
        QTest::newRow("far too wide")
            << QStringLiteral(" Können Sie mir bitte sagen, wo der Bahnhof ist, und wie "
                              "weit es noch bis dorthin ist, zu Fuß oder mit dem Bus?")
            << false;
    }
    void aLongTextIsNotCutAtTheEdge()
    {
        QFETCH(QString, text);
        QFETCH(bool, fitsWhole);
        QLabel label;
        Caption caption;
        dress(label);
        dress(caption);
        const int edge = caption.width() - 1;
        QVERIFY(inkedColumns(drawn(label, text)).second >= edge - 3);
        const auto [first, last] = inkedColumns(drawn(caption, text));
        QVERIFY2((last < edge - 3) == fitsWhole, qPrintable(QString::number(last)));
        QVERIFY(first > 0);
    }

    void drawsAgainWhereEitherTextStands_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("narrow"); // both texts leave much of the caption free
        QTest::newRow("one blank fewer") << QStringLiteral("          Das ist mein Bruder.")
                                         << QStringLiteral("         Das ist mein Bruder.") << true;
        QTest::newRow("kerned first letter")
            << QStringLiteral("   AVATAR") << QStringLiteral("  AVATAR") << true;
        QTest::newRow("longer sentence")
            << QStringLiteral("Ja.") << QStringLiteral("Das ist mein Bruder, er wohnt in Wien.") << false;
        QTest::newRow("shorter sentence")
            << QStringLiteral("Das ist mein Bruder, er wohnt in Wien.") << QStringLiteral("Ja.") << false;
        QTest::newRow("from nothing") << QString() << QStringLiteral("Guten Tag.") << true;
        QTest::newRow("to nothing") << QStringLiteral("Guten Tag.") << QString() << true;
        QTest::newRow("to blanks") << QStringLiteral("Guten Tag.") << QStringLiteral("     ") << true;
    }
    void drawsAgainWhereEitherTextStands()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, narrow);
        Stage stage(QSize(320, 19), QPoint(0, 0), before);
        QVERIFY(stage.settle());
        Caption* caption = stage.caption;

        caption->setText(after);
        QTRY_VERIFY(!stage.own.painted.isEmpty());
        QCOMPARE(caption->text(), after);
        QCOMPARE((inked(before) + inked(after)).subtracted(stage.own.painted), QRegion());
        if (narrow) QVERIFY(stage.own.painted.boundingRect().width() < caption->width() / 2);
    }

    // The English caption rises a pixel or two at a time inside its own area: what is drawn again covers
    // its text where it stood and where it stands, and little else.
    void movingTheLineDrawsAgainWhereTheTextStoodAndStands_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QPoint>("by");
        QTest::newRow("a pixel up") << QStringLiteral(" I have to go now.") << QPoint(0, -1);
        QTest::newRow("two pixels up") << QStringLiteral(" I have to go now.") << QPoint(0, -2);
        QTest::newRow("past its own height") << QStringLiteral(" See you soon.") << QPoint(0, -25);
        QTest::newRow("blank") << QStringLiteral(" ") << QPoint(0, -1);
    }
    void movingTheLineDrawsAgainWhereTheTextStoodAndStands()
    {
        QFETCH(QString, text);
        QFETCH(QPoint, by);
        Stage stage(QSize(360, 80), QPoint(40, 0), text);
        Caption* caption = stage.caption;
        caption->setGeometry(40, 0, 300, 80);
        const QRect from(40, 45, 300, 19);
        caption->setLine(from);
        QVERIFY(stage.settle());

        caption->setLine(from.translated(by));
        QCOMPARE(caption->line(), from.translated(by));
        QCOMPARE(caption->geometry(), QRect(40, 0, 300, 80));
        if (text.trimmed().isEmpty()) {
            QTest::qWait(50);
            QCOMPARE(stage.own.painted + stage.beneath.painted, QRegion());
            return;
        }
        QTRY_VERIFY(!stage.own.painted.isEmpty());
        const QRegion drawn = stage.own.painted.translated(caption->pos());
        const QRegion ink = inked(text);
        QCOMPARE((ink.translated(from.topLeft()) + ink.translated(from.topLeft() + by)).subtracted(drawn),
                 QRegion());
        QVERIFY2(drawn.boundingRect().width() < caption->width() / 2,
                 qPrintable(QString::number(drawn.boundingRect().width())));
    }

    // Screen readers read the sentence, without the blanks that move it.
    void screenReadersReadTheSentence()
    {
        Caption caption;
        caption.setText(QStringLiteral("     Guten Tag.  "));
        QCOMPARE(caption.accessibleName(), QStringLiteral("Guten Tag."));
        caption.setText(QStringLiteral("   "));
        QCOMPARE(caption.accessibleName(), QString());
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CaptionTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "caption_test.moc"
