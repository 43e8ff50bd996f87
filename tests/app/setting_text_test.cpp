// Stored text to numbers and back.
#include "app/SettingText.h"
#include "base/Errors.h"
#include "base/Twips.h"

#include <QTest>

using namespace dialoon;

class SettingTextTest : public QObject
{
    Q_OBJECT
private slots:
    void toInt16_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // 99999 for type mismatch, -99999 for overflow
        QTest::newRow("plain") << "5" << 5;
        QTest::newRow("negative") << "-12" << -12;
        QTest::newRow("surrounding blanks") << "  11000 " << 11000;
        QTest::newRow("plus sign") << "+3" << 3;
        QTest::newRow("half to even down") << "2.5" << 2;
        QTest::newRow("half to even up") << "3.5" << 4;
        QTest::newRow("negative half") << "-2.5" << -2;
        QTest::newRow("fraction") << "2.7" << 3;
        QTest::newRow("top of range") << "32767" << 32767;
        QTest::newRow("bottom of range") << "-32768" << -32768;
        QTest::newRow("half above top") << "32767.5" << -99999;
        QTest::newRow("half below bottom rounds to even") << "-32768.5" << -32768;
        QTest::newRow("above range") << "32768" << -99999;
        QTest::newRow("far above range") << "1e9" << -99999;
        QTest::newRow("below range") << "-40000" << -99999;
        QTest::newRow("empty") << "" << 99999;
        QTest::newRow("blanks only") << "   " << 99999;
        QTest::newRow("letters") << "abc" << 99999;
        QTest::newRow("trailing garbage") << "12x" << 99999;
        QTest::newRow("comma separator") << "1,5" << 99999;
        QTest::newRow("infinity") << "inf" << 99999;
        QTest::newRow("point after digits") << "7." << 7;
        QTest::newRow("point before digits") << ".6" << 1;
        QTest::newRow("exponent") << "1.5E+3" << 1500;
        QTest::newRow("negative exponent") << "25e-1" << 2;
        QTest::newRow("point alone") << "." << 99999;
        QTest::newRow("sign alone") << "-" << 99999;
        QTest::newRow("two signs") << "+-4" << 99999;
        QTest::newRow("exponent without digits") << "4e" << 99999;
        QTest::newRow("exponent without number") << "e4" << 99999;
        QTest::newRow("two points") << "1.2.3" << 99999;
        QTest::newRow("blank inside") << "1 2" << 99999;
        QTest::newRow("digits of another script") << QString::fromUtf8("\u0663") << 99999;
    }
    void toInt16()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        if (expected == 99999)
            QVERIFY_THROWS_EXCEPTION(TypeMismatchError, SettingText::toInt16(text));
        else if (expected == -99999)
            QVERIFY_THROWS_EXCEPTION(OverflowError, SettingText::toInt16(text));
        else
            QCOMPARE(SettingText::toInt16(text), expected);
    }

    void singleRoundTrip_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 5680.0f << "5680";
        QTest::newRow("half") << 8237.5f << "8237.5";
        QTest::newRow("negative") << -45.0f << "-45";
        QTest::newRow("zero") << 0.0f << "0";
        QTest::newRow("shortest fraction") << 0.1f << "0.1";
        QTest::newRow("odd screen third") << 1234.3334f << "1234.3334";
    }
    void singleRoundTrip()
    {
        QFETCH(float, value);
        QFETCH(QString, text);
        QCOMPARE(SettingText::fromSingle(value), text);
        QCOMPARE(SettingText::toSingle(text), value);
    }

    void singleRejectsBadText()
    {
        QVERIFY_THROWS_EXCEPTION(TypeMismatchError, SettingText::toSingle(""));
        QVERIFY_THROWS_EXCEPTION(TypeMismatchError, SettingText::toSingle("left"));
        QVERIFY_THROWS_EXCEPTION(OverflowError, SettingText::toSingle("1e39"));
        QCOMPARE(SettingText::toSingle(" 12.25 "), 12.25f);
    }

    void separatorIgnoresLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German));
        QCOMPARE(SettingText::fromSingle(8237.5f), QStringLiteral("8237.5"));
        QCOMPARE(SettingText::toSingle("8237.5"), 8237.5f);
        QLocale::setDefault(QLocale::c());
    }

    void pixelConversion_data()
    {
        QTest::addColumn<double>("twips");
        QTest::addColumn<double>("perPixel");
        QTest::addColumn<int>("rounded");
        QTest::addColumn<int>("truncated");
        QTest::newRow("strip width") << 7155.0 << 15.0 << 477 << 477;
        QTest::newRow("full height") << 340.0 << 15.0 << 23 << 22;
        QTest::newRow("half pixel to even down") << 37.5 << 15.0 << 2 << 2;
        QTest::newRow("half pixel to even up") << 52.5 << 15.0 << 4 << 3;
        QTest::newRow("operand rounded first") << 44.5 << 15.0 << 3 << 2;
        QTest::newRow("negative left") << -22.5 << 15.0 << -2 << -1;
        QTest::newRow("odd figure per pixel") << 340.0 << 12.5 << 27 << 28;
    }
    void pixelConversion()
    {
        QFETCH(double, twips);
        QFETCH(double, perPixel);
        QFETCH(int, rounded);
        QFETCH(int, truncated);
        QCOMPARE(twipsToPixelsRounded(twips, perPixel), rounded);
        QCOMPARE(twipsToPixelsTruncated(twips, perPixel), truncated);
    }
};

QTEST_GUILESS_MAIN(SettingTextTest)
#include "setting_text_test.moc"
