// The user's own decks kept in a real data folder beside a real settings file: what an import leaves
// there for a good and a hostile file, and a deck's place kept across an exit.
#include "EngineRig.h"

#include "app/ExitSave.h"
#include "app/MyPhrases.h"
#include "decks/DeckImporter.h"
#include "engine/SentenceSource.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace dialoon;

class MyPhrasesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString decks = dir.filePath("decks");

    QString file(const QString& name, const QByteArray& content)
    {
        QFile out(dir.filePath(name));
        if (out.open(QIODevice::WriteOnly)) out.write(content);
        return out.fileName();
    }

private slots:
    void importsKeepAWholeDeckOrNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("firstGerman"); // empty: refused, with this in the message
        QTest::addColumn<QString>("message");
        QTest::newRow("a list") << "Wörter.csv" << QByteArray("\"Guten Tag, Herr Roth\";Good day\nJa;Yes\n")
                                << "Guten Tag, Herr Roth"
                                << "";
        QTest::newRow("Windows-1252") << "alt.txt"
                                      << QByteArray("Stra\xdf"
                                                    "e\tstreet\n\x84Tsch\xfc\xdf\x93\tbye\n")
                                      << "Straße"
                                      << "";
        QTest::newRow("not a deck") << "bild.apkg" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11) << ""
                                    << "\"bild.apkg\" cannot be opened as phrases: ";
        QTest::newRow("a damaged package") << "kaputt.apkg" << QByteArray("PK\x03\x04 truncated") << ""
                                           << "\"kaputt.apkg\" cannot be opened as phrases: ";
        QTest::newRow("one column") << "eins.csv" << QByteArray("Hallo\nTschüss\n") << ""
                                    << "eins.csv";
        QTest::newRow("no such file") << "" << QByteArray() << ""
                                      << "there is no such file";
    }
    void importsKeepAWholeDeckOrNothing()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, firstGerman);
        QFETCH(QString, message);
        QDir(decks).removeRecursively();
        QDir().mkpath(decks + "/.import-cutshort/deck"); // what an import ended by a power cut left
        const QString path = name.isEmpty() ? dir.filePath("gone.csv") : file(name, content);
        const DeckImporter importer(decks);
        if (firstGerman.isEmpty()) {
            try {
                importer.import(path);
                QFAIL("imported");
            } catch (const DeckReadError& error) {
                QVERIFY2(QString::fromUtf8(error.what()).contains(message), error.what());
            }
            // Nothing half-imported: not even the scratch folder is left.
            QCOMPARE(QDir(decks).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                     QStringList());
            return;
        }
        const ImportedDeck deck = importer.import(path);
        QCOMPARE(QDir(decks).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{deck.id});
        EngineRig rig;
        SettingsStore store(dir.filePath("Tavo.ini"));
        PlayingSource source(rig.selector);
        MyPhrases mine(rig.state, rig.strip, store, source, decks);
        mine.play(deck.id);
        rig.state.sequentialPlay = 1;
        source.Load_Next_Sentence();
        QCOMPARE(rig.strip.germanText, firstGerman);
        // The original may go: the deck is the program's own copy.
        QFile::remove(path);
        QCOMPARE(mine.decks().size(), 1);
    }

    void aDecksPlaceOutlivesAnExit()
    {
        QDir(decks).removeRecursively();
        const ImportedDeck deck =
            DeckImporter(decks).import(file("drei.tsv", "eins\tone\nzwei\ttwo\ndrei\tthree\n"));
        const QString ini = dir.filePath("place.ini");
        {
            EngineRig rig;
            rig.state.sequentialPlay = 1;
            rig.state.saveSchedule = 1;
            SettingsStore store(ini);
            PlayingSource source(rig.selector);
            MyPhrases mine(rig.state, rig.strip, store, source, decks);
            mine.play(deck.id);
            source.Load_Next_Sentence();
            source.Load_Next_Sentence();
            ExitSave::save(rig.state, rig.strip, store);
        }
        EngineRig rig;
        rig.state.sequentialPlay = 1;
        SettingsStore store(ini);
        PlayingSource source(rig.selector);
        MyPhrases mine(rig.state, rig.strip, store, source, decks);
        mine.restore();
        source.Load_Next_Sentence(); // held until the deck is read
        QCOMPARE(rig.strip.germanText, QString());
        QVERIFY(mine.loadRestored());
        source.Load_Next_Sentence();
        QCOMPARE(rig.strip.germanText, QStringLiteral("drei"));
        // Removed, the deck leaves the course playing and nothing of itself behind.
        mine.remove(deck.id);
        QVERIFY(!source.playsDeck());
        QVERIFY(!QDir(decks).exists(deck.id));
        QCOMPARE(store.readSetting("Decks/playing"), QString());
    }
};

QTEST_GUILESS_MAIN(MyPhrasesTest)
#include "my_phrases_test.moc"
