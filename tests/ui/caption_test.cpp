// The strip's captions look exactly as a label with the same text would, while the sentence that slides
// in, one leading blank fewer at each step, is laid out once, and a new text is drawn again only where
// it or the old one stands.
#include "ui/strip/Caption.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QTest>

using namespace dialoon;

namespace {

template <typename Label>
QImage drawn(Label& label, const QString& text)
{
    label.setText(text);
    QImage image(label.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(58, 110, 165));
    QPainter painter(&image);
    label.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

void dress(QLabel& label)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(10.5);
    label.setFont(font);
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label.setPalette(palette);
    label.setAttribute(Qt::WA_TranslucentBackground);
    label.setTextFormat(Qt::PlainText);
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
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
            if (image.pixel(x, y) != bare.pixel(x, y))
                region += QRect(x, y, 1, 1);
    return region;
}

class PaintRecorder : public QObject
{
public:
    QRegion painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(event)->region();
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

} // namespace

class CaptionTest : public QObject
{
    Q_OBJECT
private slots:
    void looksLikeALabel_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QStringLiteral("Guten Tag.  ");
        QTest::newRow("leading blanks") << QStringLiteral("      Wie geht es Ihnen?  ");
        QTest::newRow("blanks before a kerned letter") << QStringLiteral("   AVATAR, Tür, Wörter.");
        QTest::newRow("umlauts and sharp s") << QStringLiteral(" Äpfel, Öl, Übung, Straße.");
        QTest::newRow("wider than the caption")
            << QStringLiteral("  Können Sie mir bitte sagen, wo der Bahnhof ist, und wie weit es noch bis dorthin ist?");
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

    void drawsAgainWhereEitherTextStands_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("narrow"); // both texts leave much of the caption free
        QTest::newRow("one blank fewer") << QStringLiteral("          Das ist mein Bruder.")
                                         << QStringLiteral("         Das ist mein Bruder.") << true;
        QTest::newRow("kerned first letter") << QStringLiteral("   AVATAR") << QStringLiteral("  AVATAR") << true;
        QTest::newRow("longer sentence") << QStringLiteral("Ja.")
                                         << QStringLiteral("Das ist mein Bruder, er wohnt in Wien.") << false;
        QTest::newRow("shorter sentence") << QStringLiteral("Das ist mein Bruder, er wohnt in Wien.")
                                          << QStringLiteral("Ja.") << false;
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
        if (narrow)
            QVERIFY(stage.own.painted.boundingRect().width() < caption->width() / 2);
    }

    // The English caption rises a pixel or two at a time: what is drawn again covers its text where it
    // stood and where it stands, and little else.
    void movingDrawsAgainWhereTheTextStoodAndStands_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QPoint>("by");
        QTest::newRow("a pixel up") << QStringLiteral(" I have to go now.") << QPoint(0, -1);
        QTest::newRow("two pixels up") << QStringLiteral(" I have to go now.") << QPoint(0, -2);
        QTest::newRow("past its own height") << QStringLiteral(" See you soon.") << QPoint(0, -25);
        QTest::newRow("sideways") << QStringLiteral(" See you soon.") << QPoint(-30, 0);
        QTest::newRow("blank") << QStringLiteral(" ") << QPoint(0, -1);
    }
    void movingDrawsAgainWhereTheTextStoodAndStands()
    {
        QFETCH(QString, text);
        QFETCH(QPoint, by);
        Stage stage(QSize(360, 60), QPoint(40, 30), text);
        QVERIFY(stage.settle());
        Caption* caption = stage.caption;
        const PaintRecorder& own = stage.own;
        const PaintRecorder& beneath = stage.beneath;

        const QPoint from = caption->pos();
        caption->place(caption->geometry().translated(by));
        QCOMPARE(caption->pos(), from + by);
        QTRY_VERIFY(!(own.painted + beneath.painted).isEmpty());
        const QRegion drawn = own.painted.translated(caption->pos()) + beneath.painted;
        const QRegion ink = inked(text);
        QCOMPARE((ink.translated(from) + ink.translated(caption->pos())).subtracted(drawn), QRegion());
        // The caption's old place it left is drawn again by the window beneath.
        QCOMPARE(QRegion(QRect(from, caption->size())).subtracted(QRect(caption->pos(), caption->size())).subtracted(drawn),
                 QRegion());
        if (by.manhattanLength() < caption->height())
            QVERIFY2(own.painted.boundingRect().width() < caption->width() / 2, qPrintable(QString::number(own.painted.boundingRect().width())));
    }

    void theSlidingSentenceIsLaidOutOnce()
    {
        Caption caption;
        dress(caption);
        const QString sentence = QStringLiteral("Das ist mein Bruder.  ");
        QLabel label;
        dress(label);
        for (int blanks = 30; blanks >= 0; --blanks) {
            const QString step = QString(blanks, QLatin1Char(' ')) + sentence;
            QCOMPARE(drawn(caption, step), drawn(label, step));
        }
        QCOMPARE(caption.layouts(), 1);
        drawn(caption, QStringLiteral("Ein neuer Satz."));
        QCOMPARE(caption.layouts(), 2);
    }
};

QTEST_MAIN(CaptionTest)
#include "caption_test.moc"
