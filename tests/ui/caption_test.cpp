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
        QWidget window;
        window.resize(320, 19);
        auto* caption = new Caption(&window);
        dress(*caption);
        caption->setText(before);
        PaintRecorder recorder;
        caption->installEventFilter(&recorder);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(!recorder.painted.isEmpty());
        recorder.painted = QRegion();

        caption->setText(after);
        QTRY_VERIFY(!recorder.painted.isEmpty());
        QCOMPARE(caption->text(), after);
        QCOMPARE((inked(before) + inked(after)).subtracted(recorder.painted), QRegion());
        if (narrow)
            QVERIFY(recorder.painted.boundingRect().width() < caption->width() / 2);
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
        QWidget window;
        window.resize(360, 60);
        auto* caption = new Caption(&window);
        dress(*caption);
        caption->move(40, 30);
        caption->setText(text);
        PaintRecorder own;
        PaintRecorder beneath;
        caption->installEventFilter(&own);
        window.installEventFilter(&beneath);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(!beneath.painted.isEmpty());
        own.painted = beneath.painted = QRegion();

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
