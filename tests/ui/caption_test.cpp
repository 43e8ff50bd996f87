// The strip's captions look exactly as a label with the same text would, while the sentence that slides
// in, one leading blank fewer at each step, is laid out once.
#include "ui/strip/Caption.h"

#include <QImage>
#include <QPainter>
#include <QTest>

using namespace dialoon;

namespace {

QImage drawn(QLabel& label, const QString& text)
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
