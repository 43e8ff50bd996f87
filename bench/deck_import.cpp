// Importing a large Anki package, and what playing from it costs. Builds a package of 10,000 notes, each
// with its own recording (the older collection in a zip, as deck generators write them), in a scratch
// folder, then times the import five times into fresh decks folders. A child process of its own then
// loads the deck as the program does when it plays, and reports how much that raised its peak memory.
//   deck_import [notes]   ->   "notes recordings median_ms worst_ms load_peak_kib"
#include "decks/DeckFile.h"
#include "decks/DeckImporter.h"
#include "engine/AppState.h"
#include "engine/DeckSelector.h"
#include "engine/StripModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace dialoon;

namespace {

// The peak resident memory of this process so far, in KiB.
long peakKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

void exec(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

QString makePackage(const QString& folder, int notes)
{
    const QString collection = folder + "/collection.anki2";
    sqlite3* db = nullptr;
    sqlite3_open(collection.toUtf8().constData(), &db);
    exec(db, "CREATE TABLE col (id integer primary key, models text, decks text);"
             "CREATE TABLE notes (id integer primary key, guid text, mid integer, mod integer, usn integer,"
             " tags text, flds text, sfld text, csum integer, flags integer, data text);"
             "CREATE TABLE cards (id integer primary key, nid integer, did integer, ord integer, mod integer,"
             " usn integer, type integer, queue integer, due integer, ivl integer, factor integer,"
             " reps integer, lapses integer, left integer, odue integer, odid integer, flags integer,"
             " data text);"
             "INSERT INTO col VALUES (1, '{}', '{\"1\": {\"id\": 1, \"name\": \"Wortschatz\"}}');"
             "BEGIN;");
    sqlite3_stmt* note = nullptr;
    sqlite3_stmt* card = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO notes VALUES (?, 'g', 1, 0, 0, '', ?, '', 0, 0, '')", -1, &note,
                       nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO cards VALUES (?, ?, 1, 0, 0, 0, 0, 0, ?, 0, 0, 0, 0, 0, 0, 0, 0, '')",
                       -1, &card, nullptr);
    QByteArray map = "{";
    for (int i = 0; i < notes; ++i) {
        const QByteArray fields =
            QStringLiteral("<div>Das ist der %1. Satz &amp; mehr.</div>[sound:satz%1.mp3]"
                           "\x1fThis is sentence %1.")
                .arg(i + 1)
                .toUtf8();
        sqlite3_bind_int(note, 1, i + 1);
        sqlite3_bind_text(note, 2, fields.constData(), int(fields.size()), SQLITE_TRANSIENT);
        sqlite3_step(note);
        sqlite3_reset(note);
        sqlite3_bind_int(card, 1, i + 1);
        sqlite3_bind_int(card, 2, i + 1);
        sqlite3_bind_int(card, 3, i + 1);
        sqlite3_step(card);
        sqlite3_reset(card);
        map += QStringLiteral("%1\"%2\": \"satz%3.mp3\"").arg(i ? ", " : "").arg(i).arg(i + 1).toUtf8();
    }
    map += "}";
    sqlite3_finalize(note);
    sqlite3_finalize(card);
    exec(db, "COMMIT;");
    sqlite3_close(db);

    // Recordings of a few kilobytes each, as short phrases are; their sound is never decoded on import.
    static std::vector<QByteArray> recordings;
    recordings.clear();
    recordings.reserve(std::size_t(notes));
    const QString package = folder + "/deck.apkg";
    int error = 0;
    zip_t* zip = zip_open(package.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    zip_file_add(zip, "collection.anki2", zip_source_file(zip, collection.toUtf8().constData(), 0, -1), 0);
    static QByteArray mapBytes;
    mapBytes = map;
    zip_file_add(zip, "media", zip_source_buffer(zip, mapBytes.constData(), zip_uint64_t(mapBytes.size()), 0),
                 0);
    for (int i = 0; i < notes; ++i) {
        QByteArray bytes(3000 + i % 1000, char(i));
        bytes.prepend("ID3");
        recordings.push_back(bytes);
        const QByteArray name = QByteArray::number(i);
        zip_int64_t index = zip_file_add(
            zip, name.constData(),
            zip_source_buffer(zip, recordings.back().constData(), zip_uint64_t(bytes.size()), 0), 0);
        zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_STORE, 0);
    }
    if (zip_close(zip) != 0) {
        std::fprintf(stderr, "zip: cannot write %s\n", qPrintable(package));
        std::exit(1);
    }
    return package;
}

// In the child: loads the deck as it plays and reports the rise of the peak memory.
int loadDeck(const QString& folder)
{
    const long before = peakKib();
    AppState state;
    StripModel strip;
    DeckSelector selector(state, strip, DeckFile::read(folder));
    state.sequentialPlay = 1;
    for (int i = 0; i < 100; ++i)
        selector.Load_Next_Sentence();
    std::printf("%ld\n", peakKib() - before);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "--load") return loadDeck(QString::fromLocal8Bit(argv[2]));
    const int notes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;

    QTemporaryDir scratch;
    const QString package = makePackage(scratch.path(), notes);
    std::vector<qint64> times;
    ImportedDeck deck;
    QString decks;
    for (int run = 0; run < 5; ++run) {
        decks = scratch.filePath(QStringLiteral("decks%1").arg(run));
        QElapsedTimer clock;
        clock.start();
        deck = DeckImporter(decks).import(package);
        times.push_back(clock.elapsed());
    }
    std::sort(times.begin(), times.end());
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--load"), decks + u'/' + deck.id});
    child.waitForFinished(60000);
    const QByteArray loadPeak = child.readAllStandardOutput().trimmed();
    std::printf("%d %d %lld %lld %s\n", deck.phrases, deck.recordings, static_cast<long long>(times[2]),
                static_cast<long long>(times.back()), loadPeak.constData());
    return 0;
}
