// The phrase list reader on the files learners bring: spreadsheet exports in their encodings and
// delimiters, Anki's plain-text export with its header lines, and files that are no list at all.
#include "decks/FieldText.h"
#include "decks/PhraseListReader.h"

#include <QTest>

using namespace dialoon;

class PhraseListTest : public QObject
{
    Q_OBJECT
private slots:
    void reads_data();
    void reads();
    void fieldText_data();
    void fieldText();
};

void PhraseListTest::reads_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("count"); // phrases read
    QTest::addColumn<int>("index"); // the phrase compared
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("lesson");
    QTest::addColumn<QString>("sound"); // its first field's recording
    QTest::addColumn<int>("skipped");
    QTest::addColumn<QString>("error"); // part of the reason given; empty: read

    const QString utf16 = QStringLiteral("Grüße\tgreetings\r\nTschüs\tbye\r\n");
    const QByteArray utf16Le =
        "\xFF\xFE" + QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2);

    QTest::newRow("quoted comma and quotes") << QByteArray("\"Hallo, Welt\",\"Hello, world\"\n"
                                                           "\"Er sagt \"\"ja\"\"\",He says yes\n")
                                             << 2 << 1 << "Er sagt \"ja\""
                                             << "He says yes"
                                             << ""
                                             << "" << 0 << "";
    QTest::newRow("quoted line break")
        << QByteArray("\"Zeile\r\neins\",line one\r\nzwei,two\r\n") << 2 << 0 << "Zeile eins"
        << "line one"
        << ""
        << "" << 0 << "";
    QTest::newRow("stray quote kept")
        << QByteArray("Er sagt \"ja\";He says \"yes\"\n") << 1 << 0 << "Er sagt \"ja\""
        << "He says \"yes\""
        << ""
        << "" << 0 << "";
    QTest::newRow("semicolons, commas in text, lesson")
        << QByteArray("Guten Tag;Good day;Lektion 1\nDanke, gut;Thanks, fine; Lektion 2 \n") << 2 << 1
        << "Danke, gut"
        << "Thanks, fine"
        << "Lektion 2"
        << "" << 0 << "";
    QTest::newRow("tabs, CR line ends") << QByteArray("Haus\thouse\rMaus\tmouse\r") << 2 << 1 << "Maus"
                                        << "mouse"
                                        << ""
                                        << "" << 0 << "";
    QTest::newRow("UTF-8 with BOM, column names dropped") << QByteArray("\xEF\xBB\xBF"
                                                                        "Deutsch;Englisch\nStraße;street\n")
                                                          << 1 << 0 << "Straße"
                                                          << "street"
                                                          << ""
                                                          << "" << 0 << "";
    QTest::newRow("Windows-1252") << QByteArray("Stra\xDF"
                                                "e;street\n\x84\xC4pfel\x93;\x80 5\n")
                                  << 2 << 1 << "„Äpfel“"
                                  << "€ 5"
                                  << ""
                                  << "" << 0 << "";
    QTest::newRow("Latin-1") << QByteArray("\xDC"
                                           "bung,exercise\n")
                             << 1 << 0 << "Übung"
                             << "exercise"
                             << ""
                             << "" << 0 << "";
    QTest::newRow("UTF-16LE with BOM") << utf16Le << 2 << 0 << "Grüße"
                                       << "greetings"
                                       << ""
                                       << "" << 0 << "";
    QTest::newRow("Anki export") << QByteArray("#separator:tab\n#html:true\n#deck:Mein Deck\n"
                                               "#columns:Notetype\tDeck\tFront\tBack\tTags\n"
                                               "#notetype column:1\n#deck column:2\n"
                                               "Basic\tDeutsch::L1\t<b>Haus</b>&nbsp;[sound:haus.mp3]\t"
                                               "\"house<br>\"\"building\"\"\"\tnoun\n")
                                 << 1 << 0 << "Haus"
                                 << "house \"building\""
                                 << "Deutsch::L1"
                                 << "haus.mp3" << 0 << "";
    QTest::newRow("HTML: cloze, entities, script")
        << QByteArray("#html:true\n{{c1::Hund::Tier}} &amp; &#228;&#xFC;&#0;<script>x</script>\tdog\n") << 1
        << 0 << "Hund & äü\uFFFD"
        << "dog"
        << ""
        << "" << 0 << "";
    QTest::newRow("HTML found without header")
        << QByteArray("Katze<br>&quot;Mieze&quot; [sound: m.ogg ];cat\n") << 1 << 0 << "Katze \"Mieze\""
        << "cat"
        << ""
        << "m.ogg" << 0 << "";
    QTest::newRow("plain list keeps markup")
        << QByteArray("#html:false\n<b>a</b> &amp;\tb [sound:x.mp3]\n") << 1 << 0 << "<b>a</b> &amp;"
        << "b"
        << ""
        << "" << 0 << "";
    QTest::newRow("empty fields skipped") << QByteArray("a;\n;b\n\n c ; d \n;;\n") << 1 << 0 << "c"
                                          << "d"
                                          << ""
                                          << "" << 3 << "";
    QTest::newRow("overlong field skipped") << "x;" + QByteArray(1001, 'x') + "\ny;z\n"
                                            << 1 << 0 << "y"
                                            << "z"
                                            << ""
                                            << "" << 1 << "";
    QTest::newRow("unterminated quote") << QByteArray("a;b\n\"c;d\ne;f") << 1 << 0 << "a"
                                        << "b"
                                        << ""
                                        << "" << 1 << "";
    QTest::newRow("one column") << QByteArray("Haus\nMaus\n") << 0 << 0 << ""
                                << ""
                                << ""
                                << "" << 0 << "each line needs a German and an English column";
    QTest::newRow("only empty fields") << QByteArray("#separator:;\n;\n;x\n") << 0 << 0 << ""
                                       << ""
                                       << ""
                                       << "" << 0 << "no line has both";
    QTest::newRow("empty") << QByteArray("\xEF\xBB\xBF \r\n") << 0 << 0 << ""
                           << ""
                           << ""
                           << "" << 0 << "empty";
    QTest::newRow("binary") << QByteArray("PK\x03\x04\x00\x00;,\t", 9) << 0 << 0 << ""
                            << ""
                            << ""
                            << "" << 0 << "not a text file";
}

void PhraseListTest::reads()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, count);
    QFETCH(int, index);
    QFETCH(QString, error);
    ReadDeck deck;
    try {
        deck = PhraseListReader::read(bytes);
    } catch (const DeckReadError& e) {
        QVERIFY2(!error.isEmpty(), e.what());
        QVERIFY2(QString::fromUtf8(e.what()).contains(error), e.what());
        return;
    }
    QVERIFY2(error.isEmpty(), "read a file that should be refused");
    QCOMPARE(static_cast<int>(deck.phrases.size()), count);
    const ReadPhrase& phrase = deck.phrases.at(static_cast<std::size_t>(index));
    QTEST(phrase.first, "first");
    QTEST(phrase.second, "second");
    QTEST(phrase.lesson, "lesson");
    QTEST(phrase.firstSound, "sound");
    QTEST(deck.skipped, "skipped");
}

// The HTML of Anki's fields, beyond what a list shows of it.
void PhraseListTest::fieldText_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sounds"); // joined by '|'

    QTest::newRow("nested cloze") << "{{c1::a {{c2::b::h}} c::hint}}"
                                  << "a b c"
                                  << "";
    QTest::newRow("comment, style") << "x<!-- y -->z<style>p{}</style>"
                                    << "xz"
                                    << "";
    QTest::newRow("'>' in an attribute") << "<img src=\"a>b.png\">Bild"
                                         << "Bild"
                                         << "";
    QTest::newRow("block ends") << "eins<div>zwei</div><p>drei</p>vier<br/>f&uuml;nf<li>6"
                                << "eins zwei drei vier fünf 6"
                                << "";
    QTest::newRow("entities") << "&Ouml;&szlig;&bdquo;ja&ldquo;&euro;&hellip; &bogus; &#xD800;&#99999999999;"
                              << "Öß„ja“€… &bogus; \uFFFD\uFFFD"
                              << "";
    QTest::newRow("not a tag") << "a < b &lt;c&gt; <3"
                               << "a < b <c> <3"
                               << "";
    QTest::newRow("tag cut off") << "Haus<b class"
                                 << "Haus"
                                 << "";
    QTest::newRow("sounds") << "[sound:a.mp3]Hallo[sound: b c.ogg ][sound:x"
                            << "Hallo [sound:x"
                            << "a.mp3|b c.ogg";
}

void PhraseListTest::fieldText()
{
    QFETCH(QString, html);
    const FieldText field = FieldTexts::fromHtml(html);
    QTEST(field.text, "text");
    QTEST(field.sounds.join(u'|'), "sounds");
}

QTEST_GUILESS_MAIN(PhraseListTest)
#include "phrase_list_test.moc"
