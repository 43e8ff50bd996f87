// Reads an Anki package: the zip archive through libzip, the collection through SQLite from a scratch copy,
// the current format's zstd layers through libzstd. Every size the file states is checked against DeckLimits
// before it is trusted, and again while the bytes are unpacked, since a hostile file can state anything.
#include "decks/anki/AnkiPackageReader.h"

#include "decks/FieldText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

#include <sqlite3.h>
#include <zip.h>
#include <zstd.h>

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>

namespace dialoon::AnkiPackageReader {
namespace {

// Small members compress far better than the ratio allows (a JSON map, an empty collection's pages).
constexpr qint64 kRatioFloor = 1LL << 20;
// The media map is held in memory: a map of kMostEntries names is a few MB.
constexpr qint64 kLargestMap = 64LL << 20;
// A field is converted from HTML before its text is measured; beyond this it cannot be worth the time.
constexpr qsizetype kLargestField = 1 << 20;
// Bounds SQLite's strings, so that a crafted row or generated column cannot take all memory.
constexpr int kLongestValue = 64 << 20;
constexpr qint64 kChunk = 64 << 10;
constexpr std::array kZstdMagic = {'\x28', '\xb5', '\x2f', '\xfd'};
const QStringList kRecordingTypes = {"mp3", "ogg", "oga", "opus", "flac", "wav"};

[[noreturn]] void refuse(const QString& why)
{
    throw DeckReadError(why.toStdString());
}

[[noreturn]] void refuseBomb(const QString& beyond)
{
    refuse(QStringLiteral("it unpacks to more than %1 (a zip bomb?)").arg(beyond));
}

[[noreturn]] void refuseBomb(qint64 limit)
{
    refuseBomb(QStringLiteral("%1 MB").arg(limit >> 20));
}

[[noreturn]] void refuseDamaged()
{
    refuse(QStringLiteral("the zip archive is damaged"));
}

[[noreturn]] void refuseWrite(const QString& path)
{
    refuse(QStringLiteral("the disk is full or not writable: %1").arg(QDir::toNativeSeparators(path)));
}

// The zip archive, with the sizes of its members checked once and the bytes unpacked counted.
class Package
{
public:
    explicit Package(const QString& path)
    {
        if (QFileInfo(path).size() > DeckLimits::kLargestFile)
            refuse(QStringLiteral("it is larger than %1 MB").arg(DeckLimits::kLargestFile >> 20));
        int error = 0;
        zip_.reset(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
        if (!zip_) {
            if (error == ZIP_ER_OPEN || error == ZIP_ER_READ || error == ZIP_ER_NOENT)
                refuse(QStringLiteral("it cannot be opened"));
            if (error == ZIP_ER_NOZIP)
                refuse(QStringLiteral("it is not an Anki package (the zip archive cannot be read)"));
            refuse(QStringLiteral("it is not an Anki package (the zip archive is damaged)"));
        }
        const zip_int64_t count = zip_get_num_entries(zip_.get(), 0);
        if (count > DeckLimits::kMostEntries)
            refuse(QStringLiteral("it holds more than %1 files").arg(DeckLimits::kMostEntries));
        declared_.reserve(static_cast<std::size_t>(std::max<zip_int64_t>(count, 0)));
        qint64 total = 0;
        for (zip_int64_t index = 0; index < count; ++index) {
            zip_stat_t stat;
            if (zip_stat_index(zip_.get(), static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
                !(stat.valid & ZIP_STAT_SIZE) || !(stat.valid & ZIP_STAT_COMP_SIZE))
                refuseDamaged();
            const auto size = static_cast<qint64>(std::min<zip_uint64_t>(stat.size, 1ULL << 62));
            const auto packed = static_cast<qint64>(std::min<zip_uint64_t>(stat.comp_size, 1ULL << 62));
            total += size;
            if (size > DeckLimits::kLargestEntry) refuseBomb(DeckLimits::kLargestEntry);
            if (total > DeckLimits::kLargestUnpacked) refuseBomb(DeckLimits::kLargestUnpacked);
            if (size > kRatioFloor && size / std::max<qint64>(packed, 1) > DeckLimits::kLargestRatio)
                refuseBomb(QStringLiteral("%1 times its size").arg(DeckLimits::kLargestRatio));
            declared_.push_back(size);
        }
    }

    std::optional<zip_uint64_t> locate(const QString& name) const
    {
        const zip_int64_t index = zip_name_locate(zip_.get(), name.toUtf8().constData(), 0);
        if (index < 0 || static_cast<std::size_t>(index) >= declared_.size()) return std::nullopt;
        return static_cast<zip_uint64_t>(index);
    }

    // Hands the member's bytes to sink in pieces, unpacking the zstd layer of the current format when the
    // member begins with its magic. Stops at limit, at the member's stated size, and at the package's bound.
    template <typename Sink> void unpack(zip_uint64_t index, qint64 limit, Sink&& sink)
    {
        const std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(zip_fopen_index(zip_.get(), index, 0),
                                                                      &zip_fclose);
        if (!file) refuseDamaged();
        std::unique_ptr<ZSTD_DStream, decltype(&ZSTD_freeDStream)> zstd(nullptr, &ZSTD_freeDStream);
        std::vector<char> in(kChunk), out;
        qint64 read = 0, unpacked = 0;
        std::size_t pending = 0; // what the zstd decoder still expects of the current frame
        const auto give = [&](const char* bytes, qint64 size) {
            unpacked += size;
            unpacked_ += size;
            if (unpacked > limit) refuseBomb(limit);
            if (unpacked_ > DeckLimits::kLargestUnpacked) refuseBomb(DeckLimits::kLargestUnpacked);
            if (size > 0) sink(bytes, size);
        };
        for (bool first = true;; first = false) {
            const zip_int64_t got = zip_fread(file.get(), in.data(), in.size());
            if (got < 0) refuseDamaged();
            if (got == 0) break;
            read += got;
            if (read > declared_[index]) refuseBomb(QStringLiteral("it says"));
            if (first && got >= 4 && std::equal(kZstdMagic.begin(), kZstdMagic.end(), in.begin())) {
                zstd.reset(ZSTD_createDStream());
                if (!zstd) refuse(QStringLiteral("there is not enough memory to read it"));
                out.resize(ZSTD_DStreamOutSize());
            }
            if (!zstd) {
                give(in.data(), got);
                continue;
            }
            ZSTD_inBuffer input{in.data(), static_cast<std::size_t>(got), 0};
            ZSTD_outBuffer output{};
            do {
                output = {out.data(), out.size(), 0};
                pending = ZSTD_decompressStream(zstd.get(), &output, &input);
                if (ZSTD_isError(pending)) refuseDamaged();
                give(out.data(), static_cast<qint64>(output.pos));
            } while (input.pos < input.size || output.pos == output.size);
        }
        if (pending != 0) // a frame cut short
            refuseDamaged();
    }

    QByteArray unpackAll(zip_uint64_t index, qint64 limit)
    {
        QByteArray bytes;
        unpack(index, limit, [&](const char* data, qint64 size) { bytes.append(data, size); });
        return bytes;
    }

    // Unpacks the member into a new file; returns the bytes written.
    qint64 unpackTo(zip_uint64_t index, qint64 limit, const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) refuseWrite(path);
        qint64 written = 0;
        unpack(index, limit, [&](const char* data, qint64 size) {
            if (file.write(data, size) != size) refuseWrite(path);
            written += size;
        });
        if (!file.flush()) refuseWrite(path);
        return written;
    }

private:
    std::unique_ptr<zip_t, decltype(&zip_discard)> zip_{nullptr, &zip_discard};
    std::vector<qint64> declared_;
    qint64 unpacked_ = 0;
};

// The fields of the current format's media map: a protobuf message holding one length-delimited entry per
// file, each with its name and, when the file is not stored under its index, the number it is stored under.
class ProtoReader
{
public:
    explicit ProtoReader(QByteArrayView bytes) : bytes_(bytes) {}
    bool atEnd() const { return at_ >= bytes_.size(); }

    quint64 varint()
    {
        quint64 value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (atEnd()) broken();
            const auto byte = static_cast<quint8>(bytes_[at_++]);
            value |= quint64(byte & 0x7f) << shift;
            if (!(byte & 0x80)) return value;
        }
        broken();
    }
    // The field number and the wire type of the next field.
    std::pair<quint64, int> key()
    {
        const quint64 key = varint();
        return {key >> 3, int(key & 7)};
    }
    QByteArrayView bytes()
    {
        const quint64 size = varint();
        if (size > quint64(bytes_.size() - at_)) broken();
        const QByteArrayView field = bytes_.sliced(at_, qsizetype(size));
        at_ += qsizetype(size);
        return field;
    }
    void skip(int wireType)
    {
        const qsizetype fixed = wireType == 1 ? 8 : wireType == 5 ? 4 : 0;
        if (wireType == 0)
            varint();
        else if (wireType == 2)
            bytes();
        else if (fixed == 0 || fixed > bytes_.size() - at_)
            broken(); // groups (3, 4) are not used by the map
        else
            at_ += fixed;
    }

private:
    [[noreturn]] static void broken() { refuse(QStringLiteral("its list of media is damaged")); }
    QByteArrayView bytes_;
    qsizetype at_ = 0;
};

// Name in the notes -> name of the member holding the file.
using MediaMap = QHash<QString, QString>;

MediaMap readMediaMap(Package& package)
{
    MediaMap map;
    const auto index = package.locate(QStringLiteral("media"));
    if (!index) return map;
    const QByteArray bytes = package.unpackAll(*index, kLargestMap);
    const auto add = [&](const QString& name, const QString& member) {
        if (map.size() >= DeckLimits::kMostEntries)
            refuse(QStringLiteral("it names more than %1 media").arg(DeckLimits::kMostEntries));
        map.insert(name.normalized(QString::NormalizationForm_C), member);
    };
    if (bytes.trimmed().startsWith('{')) { // the older format, {"0": "hallo.mp3", ...}
        const QJsonDocument json = QJsonDocument::fromJson(bytes);
        if (!json.isObject()) refuse(QStringLiteral("its list of media is damaged"));
        const QJsonObject object = json.object();
        for (auto it = object.begin(); it != object.end(); ++it)
            if (it->isString()) add(it->toString(), it.key());
        return map;
    }
    // Package::unpack has taken off the zstd layer.
    ProtoReader entries(bytes);
    for (qint64 position = 0; !entries.atEnd();) {
        const auto [field, wireType] = entries.key();
        if (field != 1 || wireType != 2) {
            entries.skip(wireType);
            continue;
        }
        ProtoReader entry(entries.bytes());
        QString name;
        std::optional<quint64> storedAs;
        while (!entry.atEnd()) {
            const auto [entryField, entryWireType] = entry.key();
            if (entryField == 1 && entryWireType == 2)
                name = QString::fromUtf8(entry.bytes());
            else if (entryField == 255 && entryWireType == 0)
                storedAs = entry.varint();
            else
                entry.skip(entryWireType);
        }
        add(name, QString::number(storedAs ? *storedAs : quint64(position)));
        ++position;
    }
    return map;
}

// A name from the package is only ever looked up, never used as a path; one that would mean something as
// a path is taken as a sign of a hostile package, and its recording is left out.
bool isHarmless(const QString& name)
{
    if (name.isEmpty() || name.startsWith('.') || name.contains(QLatin1String(".."))) return false;
    return std::none_of(name.begin(), name.end(), [](QChar c) {
        return c.unicode() < 0x20 || c.unicode() == 0x7f || c == '/' || c == '\\' || c == ':';
    });
}

QString recordingType(const QString& name)
{
    const qsizetype dot = name.lastIndexOf('.');
    const QString type = dot < 0 ? QString() : name.mid(dot + 1).toLower();
    return kRecordingTypes.contains(type) ? type : QString();
}

// The first recording a field names, or empty.
QString firstRecording(const FieldText& field)
{
    const auto it = std::find_if(field.sounds.begin(), field.sounds.end(),
                                 [](const QString& name) { return !recordingType(name).isEmpty(); });
    return it == field.sounds.end() ? QString() : *it;
}

// The current schema orders names by a collation of Anki's own; reading needs only some order.
int compareUnicase(void*, int leftSize, const void* left, int rightSize, const void* right)
{
    return QStringView(static_cast<const QChar*>(left), leftSize / 2)
        .compare(QStringView(static_cast<const QChar*>(right), rightSize / 2), Qt::CaseInsensitive);
}

class Database
{
public:
    explicit Database(const QString& path)
    {
        sqlite3* db = nullptr;
        const int opened = sqlite3_open_v2(path.toUtf8().constData(), &db,
                                           SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
        db_.reset(db); // closed also when opening failed
        if (opened != SQLITE_OK) fail(SQLITE_CANTOPEN);
        // What SQLite advises for a database from elsewhere: nothing in its schema runs on our behalf.
        sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
        sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
        sqlite3_db_config(db_.get(), SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
        sqlite3_limit(db_.get(), SQLITE_LIMIT_LENGTH, kLongestValue);
        sqlite3_limit(db_.get(), SQLITE_LIMIT_SQL_LENGTH, 4096);
        sqlite3_limit(db_.get(), SQLITE_LIMIT_ATTACHED, 0);
        sqlite3_create_collation(db_.get(), "unicase", SQLITE_UTF16_ALIGNED, nullptr, &compareUnicase);
        // Temporary tables stay in memory, so nothing is written beside the scratch copy.
        check(sqlite3_exec(db_.get(),
                           "PRAGMA query_only=1; PRAGMA cell_size_check=1; PRAGMA temp_store=MEMORY; "
                           "PRAGMA mmap_size=0",
                           nullptr, nullptr, nullptr));
    }

    // A prepared query that finalizes itself; next() is false at its end and raises on a failure.
    class Query
    {
    public:
        Query(Database& db, const char* sql) : owner_(db)
        {
            db.check(sqlite3_prepare_v2(db.db_.get(), sql, -1, &statement_, nullptr));
        }
        ~Query() { sqlite3_finalize(statement_); }
        Query(const Query&) = delete;
        Query& operator=(const Query&) = delete;
        bool next()
        {
            const int result = sqlite3_step(statement_);
            if (result != SQLITE_ROW && result != SQLITE_DONE) owner_.fail(result);
            return result == SQLITE_ROW;
        }
        void bind(int parameter, const char* text)
        {
            owner_.check(sqlite3_bind_text(statement_, parameter, text, -1, SQLITE_STATIC));
        }
        qint64 integer(int column) const { return sqlite3_column_int64(statement_, column); }
        QByteArrayView bytes(int column) const
        {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
            return {text, text ? sqlite3_column_bytes(statement_, column) : 0};
        }
        QString text(int column) const { return QString::fromUtf8(bytes(column)); }

    private:
        Database& owner_;
        sqlite3_stmt* statement_ = nullptr;
    };

    bool hasTable(const char* name)
    {
        Query query(*this, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
        query.bind(1, name);
        return query.next();
    }

private:
    void check(int result)
    {
        if (result != SQLITE_OK) fail(result);
    }
    [[noreturn]] void fail(int result)
    {
        switch (result & 0xff) {
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_CANTOPEN:
            refuse(QStringLiteral("its collection is damaged"));
        case SQLITE_TOOBIG:
        case SQLITE_NOMEM:
            refuse(QStringLiteral("its collection holds a note too large to read"));
        default:
            refuse(QStringLiteral("its collection cannot be read (%1)")
                       .arg(QString::fromUtf8(db_ ? sqlite3_errmsg(db_.get()) : "")));
        }
    }
    std::unique_ptr<sqlite3, decltype(&sqlite3_close_v2)> db_{nullptr, &sqlite3_close_v2};
};

// Deck id -> full name, components joined with "::" as Anki shows them.
QHash<qint64, QString> readDecks(Database& db)
{
    QHash<qint64, QString> decks;
    if (db.hasTable("decks")) { // the current schema separates the components with 0x1f
        Database::Query query(db, "SELECT id, name FROM decks");
        while (query.next())
            decks.insert(query.integer(0), query.text(1).split(QChar(0x1f)).join(QLatin1String("::")));
        return decks;
    }
    Database::Query query(db, "SELECT decks FROM col");
    if (!query.next()) return decks;
    const QJsonObject object = QJsonDocument::fromJson(query.bytes(0).toByteArray()).object();
    for (auto it = object.begin(); it != object.end(); ++it)
        decks.insert(it.key().toLongLong(), it->toObject().value(QLatin1String("name")).toString());
    return decks;
}

// SQLite opens a collection left in WAL mode only beside a writable -shm file; the scratch copy has no
// log to replay, so it is marked as an ordinary database instead.
void leaveWalMode(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) refuseWrite(path);
    const QByteArray header = file.read(20);
    if (header.size() == 20 && header.startsWith("SQLite format 3") && (header[18] == 2 || header[19] == 2))
        if (!file.seek(18) || file.write("\x01\x01", 2) != 2) refuseWrite(path);
}

// Orders names without regard to case and numbers by their value ("Lesson 2" before "Lesson 10"), the same
// in every locale. A key compared as a whole keeps the order strict, whatever names a package holds.
using SortKey = std::vector<std::pair<qsizetype, QString>>; // digits: (their count, them); else (-1, char)

SortKey sortKey(const QString& name)
{
    SortKey key;
    for (qsizetype at = 0; at < name.size();) {
        if (!name[at].isDigit()) {
            key.emplace_back(-1, QString(name[at++].toCaseFolded()));
            continue;
        }
        while (at + 1 < name.size() && name[at] == '0' && name[at + 1].isDigit())
            ++at;
        const qsizetype start = at;
        while (at < name.size() && name[at].isDigit())
            ++at;
        key.emplace_back(at - start, name.mid(start, at - start));
    }
    return key;
}

struct Note
{
    ReadPhrase phrase;
    QString firstRecording, secondRecording; // names in the package
    qint64 id = 0;
    qint64 deck = 0;
    qint64 position = std::numeric_limits<qint64>::max(); // a new card's place in its deck's queue
    qint64 card = std::numeric_limits<qint64>::max();     // the order of the card the deck is taken from
};

// The lessons are the decks the notes are in, named below the deck they share; the title is that
// deck's own name ("Default", the deck Anki makes for everyone, names nothing).
QString nameLessons(std::vector<Note>& notes, const QHash<qint64, QString>& decks)
{
    QStringList common;
    bool oneDeck = true;
    for (const Note& note : notes) {
        const QStringList parts = decks.value(note.deck).split(QLatin1String("::"));
        if (&note == &notes.front()) common = parts;
        oneDeck = oneDeck && note.deck == notes.front().deck;
        qsizetype shared = 0;
        while (shared < common.size() && shared < parts.size() && common[shared] == parts[shared])
            ++shared;
        common.resize(shared);
    }
    const QString title = common.isEmpty() ? QString() : common.last();
    if (!oneDeck)
        for (Note& note : notes) {
            const QStringList parts = decks.value(note.deck).split(QLatin1String("::"));
            note.phrase.lesson =
                parts.size() > common.size() ? parts.mid(common.size()).join(QLatin1String("::")) : title;
        }
    return title == QLatin1String("Default") ? QString() : title;
}

} // namespace

ReadDeck read(const QString& path, const QString& mediaFolder, const QString& scratchFolder,
              const ReadProgress& progress)
{
    Package package(path);

    // A package from a current Anki also holds an older collection that only asks to update Anki.
    std::optional<zip_uint64_t> collection;
    for (const char* name : {"collection.anki21b", "collection.anki21", "collection.anki2"})
        if (!collection) collection = package.locate(QLatin1String(name));
    if (!collection) refuse(QStringLiteral("it is not an Anki package (it holds no collection)"));
    const QString copy = scratchFolder + QLatin1String("/collection.sqlite");
    package.unpackTo(*collection, DeckLimits::kLargestEntry, copy);
    leaveWalMode(copy);

    Database db(copy);
    const QHash<qint64, QString> decks = readDecks(db);
    qint64 total = 0;
    {
        Database::Query count(db, "SELECT count(*) FROM notes");
        total = count.next() ? count.integer(0) : 0;
    }
    if (total > DeckLimits::kMostPhrases)
        refuse(QStringLiteral("it holds more than %1 notes").arg(DeckLimits::kMostPhrases));

    Database::Query noteRows(db, "SELECT id, flds FROM notes");
    ReadDeck deck;
    std::vector<Note> notes;
    for (qint64 done = 0; noteRows.next(); ++done) {
        if (done >= total) // a crafted database may count otherwise than it reads
            refuse(QStringLiteral("its collection is damaged"));
        if (progress && done % 100 == 0) progress(done, total);
        const QByteArrayView fields = noteRows.bytes(1);
        const qsizetype end = fields.indexOf('\x1f');
        const QByteArrayView rest = end < 0 ? QByteArrayView() : fields.sliced(end + 1);
        const QByteArrayView second =
            rest.first(rest.indexOf('\x1f') < 0 ? rest.size() : rest.indexOf('\x1f'));
        if (end < 0 || end > kLargestField || second.size() > kLargestField) {
            ++deck.skipped;
            continue;
        }
        const FieldText a = FieldTexts::fromHtml(QString::fromUtf8(fields.first(end)));
        const FieldText b = FieldTexts::fromHtml(QString::fromUtf8(second));
        if (a.text.isEmpty() || b.text.isEmpty() || a.text.size() > DeckLimits::kLongestText ||
            b.text.size() > DeckLimits::kLongestText) {
            ++deck.skipped;
            continue;
        }
        notes.push_back(
            {{a.text, b.text, {}, {}, {}}, firstRecording(a), firstRecording(b), noteRows.integer(0)});
    }
    // Each note's deck is that of its first card (a filtered deck lends cards, it does not own them). The
    // cards are matched here rather than joined in SQL, which without Anki's index would take quadratic time.
    QHash<qint64, std::size_t> noteAt;
    for (std::size_t i = 0; i < notes.size(); ++i)
        noteAt.insert(notes[i].id, i);
    Database::Query cards(
        db, "SELECT nid, CASE WHEN odid != 0 THEN odid ELSE did END, type, due, ord FROM cards");
    while (cards.next()) {
        const auto at = noteAt.constFind(cards.integer(0));
        if (at == noteAt.cend() || cards.integer(4) >= notes[*at].card) continue;
        Note& note = notes[*at];
        note.card = cards.integer(4);
        note.deck = cards.integer(1);
        note.position = cards.integer(2) == 0 ? cards.integer(3) : std::numeric_limits<qint64>::max();
    }
    if (notes.empty()) refuse(QStringLiteral("it holds no phrase with two filled-in fields"));

    // Decks in the order Anki lists them, but "Lesson 2" before "Lesson 10"; within a deck the new cards
    // in the order they would be studied, then those already studied in the order they were made.
    QHash<qint64, SortKey> keys;
    for (const Note& note : notes)
        if (!keys.contains(note.deck)) keys.insert(note.deck, sortKey(decks.value(note.deck)));
    std::vector<std::pair<SortKey, qint64>> deckOrder;
    for (auto it = keys.begin(); it != keys.end(); ++it)
        deckOrder.emplace_back(std::move(*it), it.key());
    std::sort(deckOrder.begin(), deckOrder.end());
    QHash<qint64, std::size_t> rank;
    for (std::size_t i = 0; i < deckOrder.size(); ++i)
        rank.insert(deckOrder[i].second, i);
    std::stable_sort(notes.begin(), notes.end(), [&](const Note& left, const Note& right) {
        return std::tuple(rank.value(left.deck), left.position, left.id) <
               std::tuple(rank.value(right.deck), right.position, right.id);
    });
    deck.title = nameLessons(notes, decks);

    // Only the recordings the phrases name are unpacked, each once, under a name of our own.
    const bool anyRecording = std::any_of(notes.begin(), notes.end(), [](const Note& note) {
        return !note.firstRecording.isEmpty() || !note.secondRecording.isEmpty();
    });
    const MediaMap media = anyRecording ? readMediaMap(package) : MediaMap();
    QHash<QString, QString> unpacked; // name in the package -> name in mediaFolder, or empty
    qint64 written = 0;
    const auto recording = [&](const QString& name) -> QString {
        if (name.isEmpty()) return {};
        const QString key = name.normalized(QString::NormalizationForm_C);
        if (const auto it = unpacked.constFind(key); it != unpacked.cend()) return *it;
        QString ours;
        const auto index =
            isHarmless(key) && media.contains(key) ? package.locate(media.value(key)) : std::nullopt;
        if (index) {
            ours = QStringLiteral("r%1.%2").arg(++written, 5, 10, QChar('0')).arg(recordingType(key));
            const QString target = mediaFolder + '/' + ours;
            if (package.unpackTo(*index, DeckLimits::kLargestEntry, target) == 0 && QFile::remove(target))
                ours.clear(); // nothing to play
        }
        unpacked.insert(key, ours);
        return ours;
    };
    deck.phrases.reserve(notes.size());
    for (Note& note : notes) {
        if (progress && deck.phrases.size() % 16 == 0) // the notes counted first, then one step each
            progress(total + qint64(deck.phrases.size()), total + qint64(notes.size()));
        note.phrase.firstSound = recording(note.firstRecording);
        note.phrase.secondSound = recording(note.secondRecording);
        deck.phrases.push_back(std::move(note.phrase));
    }
    return deck;
}

} // namespace dialoon::AnkiPackageReader
