// Reading Anki packages the test builds itself with SQLite, libzip and zstd: decks become lessons, the
// recordings the phrases name are unpacked under names of our own, and damaged or hostile packages are
// refused with a reason or defused, writing nothing beside the folders the reader is given.
#include "decks/anki/AnkiPackageReader.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>
#include <zip.h>
#include <zstd.h>

using namespace dialoon;

namespace {

const QByteArray kRecording("ID3 stands in for a recording");

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A collection of the older schema holding what sql inserts; '|' in a note separates its fields.
QByteArray collection(const QString& dir, const QByteArray& sql)
{
    const QString path = dir + "/collection";
    QFile::remove(path);
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    const QByteArray all = "CREATE TABLE col (decks); CREATE TABLE notes (id INTEGER PRIMARY KEY, flds);"
                           "CREATE TABLE cards (nid, did, odid DEFAULT 0, ord DEFAULT 0, type DEFAULT 0, due "
                           "DEFAULT 0);" +
                           sql + "; UPDATE notes SET flds = replace(flds, '|', char(31))";
    sqlite3_exec(db, all.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return fileBytes(path);
}

QByteArray zipped(const QString& dir, const QList<std::pair<const char*, QByteArray>>& members)
{
    const QString path = dir + "/package";
    QFile::remove(path);
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE, nullptr);
    for (const auto& [name, bytes] : members)
        zip_file_add(zip, name, zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0), 0);
    zip_close(zip);
    return fileBytes(path);
}

QByteArray zstd(const QByteArray& bytes)
{
    QByteArray packed(qsizetype(ZSTD_compressBound(std::size_t(bytes.size()))), 0);
    packed.resize(qsizetype(ZSTD_compress(packed.data(), std::size_t(packed.size()), bytes.constData(),
                                          std::size_t(bytes.size()), 3)));
    return packed;
}

} // namespace

class AnkiPackageTest : public QObject
{
    Q_OBJECT
private slots:
    void reads_data();
    void reads();

private:
    QTemporaryDir workshop_;
};

void AnkiPackageTest::reads_data()
{
    QTest::addColumn<QByteArray>("package");
    QTest::addColumn<QString>("error"); // a part of the reason, or empty: read
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("phrases"); // first|second|firstSound|secondSound|lesson, one a line
    QTest::addColumn<int>("skipped");
    const QString dir = workshop_.path();
    const auto old = [&](const QByteArray& sql, const QByteArray& media = "{}") {
        return zipped(dir, {{"collection.anki2", collection(dir, sql)},
                            {"media", media},
                            {"0", kRecording},
                            {"1", kRecording},
                            {"2", kRecording}});
    };
    const auto two = [&](const char* first, const char* second) {
        return old(QByteArray("INSERT INTO col VALUES ('{\"1\":{\"name\":\"Default\"}}'); INSERT INTO notes "
                              "VALUES (1, '") +
                       first + "|Hello'), (2, '" + second +
                       "|Bye'); INSERT INTO cards (nid, did) VALUES (1, 1), (2, 1)",
                   "{\"0\":\"hallo.mp3\",\"1\":\"../evil.mp3\",\"2\":\"/tmp/evil.mp3\",\"3\":\"bild.jpg\"}");
    };
    QTest::newRow("subdecks become lessons, in numeric order")
        << old("INSERT INTO col VALUES ('{\"1\":{\"name\":\"Default\"},\"10\":{\"name\":\"Deutsch::Lektion "
               "2\"},\"11\":{\"name\":\"Deutsch::Lektion 10\"}}');"
               "INSERT INTO notes VALUES (1, 'Guten Tag|Good day'), (2, 'Danke|Thanks'), (3, 'Bitte|Please');"
               "INSERT INTO cards (nid, did, due) VALUES (1, 11, 1), (2, 10, 7), (3, 10, 3)")
        << ""
        << "Deutsch"
        << "Bitte|Please|||Lektion 2\nDanke|Thanks|||Lektion 2\nGuten Tag|Good day|||Lektion 10" << 0;
    QTest::newRow("one deck, and notes that are not phrases")
        << old("INSERT INTO col VALUES ('{\"5\":{\"name\":\"Reisen::Am Bahnhof\"}}'); INSERT INTO notes "
               "VALUES "
               "(1, 'Zug|Train'), (2, 'nur eins'), (3, 'leer| '), (4, hex(zeroblob(501)) || '|long');"
               "INSERT INTO cards (nid, did) SELECT id, 5 FROM notes")
        << ""
        << "Am Bahnhof"
        << "Zug|Train|||" << 3;
    QTest::newRow("a recording unpacked, a picture not")
        << two("Hallo [sound:hallo.mp3]", "Tschüs [sound:bild.jpg]") << ""
        << ""
        << "Hallo|Hello|r00001.mp3||\nTschüs|Bye|||" << 0;
    QTest::newRow("hostile media names")
        << two("Eins [sound:../evil.mp3]", "Zwei [sound:/tmp/evil.mp3]") << ""
        << ""
        << "Eins|Hello|||\nZwei|Bye|||" << 0;
    const QByteArray current = collection(
        dir,
        "CREATE TABLE decks (id, name); INSERT INTO decks VALUES (1, 'Default'), (20, 'Deutsch' || char(31) "
        "|| 'Zahlen'), (21, 'Deutsch' || char(31) || 'Farben'); INSERT INTO notes VALUES (1, 'eins "
        "[sound:eins.mp3]|one'), (2, 'rot|red'); INSERT INTO cards (nid, did) VALUES (1, 20), (2, 21)");
    const QByteArray update = collection(dir, "INSERT INTO notes VALUES (1, 'Please update|Anki')");
    // MediaEntries holding one entry: name "eins.mp3", stored as member 7.
    const QByteArray map("\x0a\x0d\x0a\x08"
                         "eins.mp3\xf8\x0f\x07",
                         15);
    QTest::newRow("current format") << zipped(dir, {{"collection.anki2", update},
                                                    {"collection.anki21b", zstd(current)},
                                                    {"media", zstd(map)},
                                                    {"7", zstd(kRecording)}})
                                    << ""
                                    << "Deutsch"
                                    << "rot|red|||Farben\neins|one|r00001.mp3||Zahlen" << 0;
    QTest::newRow("not a zip") << QByteArray("PK\x03\x04 and words") << "not an Anki package"
                               << ""
                               << "" << 0;
    QTest::newRow("truncated") << two("a", "b").first(300) << "zip archive"
                               << ""
                               << "" << 0;
    QTest::newRow("zip bomb") << zipped(dir, {{"collection.anki2", QByteArray(4 << 20, '\0')}}) << "zip bomb"
                              << ""
                              << "" << 0;
    QTest::newRow("damaged collection")
        << zipped(dir, {{"collection.anki2", collection(dir, "").first(100) + QByteArray(4000, '\x5a')}})
        << "collection is damaged"
        << ""
        << "" << 0;
    QTest::newRow("no notes") << old("INSERT INTO col VALUES ('{}')") << "no phrase"
                              << ""
                              << "" << 0;
}

void AnkiPackageTest::reads()
{
    QFETCH(QByteArray, package);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString media = dir.filePath("media"), scratch = dir.filePath("scratch");
    QVERIFY(QDir().mkdir(media) && QDir().mkdir(scratch));
    QFile file(dir.filePath("deck.apkg"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(package) == package.size());
    file.close();
    QStringList phrases, sounds;
    try {
        const ReadDeck deck = AnkiPackageReader::read(file.fileName(), media, scratch);
        QVERIFY2(error.isEmpty(), "the package is read");
        QTEST(deck.title, "title");
        QTEST(deck.skipped, "skipped");
        for (const ReadPhrase& p : deck.phrases) {
            phrases << QStringList{p.first, p.second, p.firstSound, p.secondSound, p.lesson}.join('|');
            sounds << p.firstSound << p.secondSound;
        }
    } catch (const DeckReadError& e) {
        QVERIFY2(!error.isEmpty() && QString::fromUtf8(e.what()).contains(error), e.what());
    }
    QTEST(phrases.join('\n'), "phrases");
    sounds.removeAll(QString());
    QCOMPARE(QDir(media).entryList(QDir::Files | QDir::Hidden), sounds);
    for (const QString& sound : sounds)
        QCOMPARE(fileBytes(media + '/' + sound), kRecording);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({"deck.apkg", "media", "scratch"}));
}

QTEST_GUILESS_MAIN(AnkiPackageTest)
#include "anki_package_test.moc"
