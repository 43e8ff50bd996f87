// The Anki package reader on any file. Reading either raises DeckReadError or gives a deck whose phrases
// have both texts filled in and short enough to show, whose recordings are all in the media folder, and
// nothing is written beside the media and scratch folders it was given. An input that does not begin as a
// zip archive does lists the members of one, which the harness packs itself, so that mutations reach the
// collection and the media map instead of failing the archive's checksums: members are separated by
// "@@@@", each its name, a line break, and its bytes.
#include "FuzzCheck.h"

#include "decks/anki/AnkiPackageReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <zip.h>

#include <cstdint>

using namespace dialoon;
using dialoon::fuzz::check;

namespace {

void pack(const QByteArray& members, const QString& path)
{
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    check(zip, "a package can be made", path);
    for (qsizetype at = 0; at <= members.size();) {
        const qsizetype end = members.indexOf("@@@@", at) < 0 ? members.size() : members.indexOf("@@@@", at);
        const qsizetype nameEnd =
            std::min(members.indexOf('\n', at) < 0 ? end : members.indexOf('\n', at), end);
        const qsizetype bytesAt = std::min(nameEnd + 1, end);
        zip_source_t* source =
            zip_source_buffer(zip, members.constData() + bytesAt, zip_uint64_t(end - bytesAt), 0);
        const QByteArray name(members.constData() + at, nameEnd - at); // a copy ends in NUL, raw data not
        const zip_int64_t index = zip_file_add(zip, name.constData(), source, ZIP_FL_OVERWRITE);
        if (index < 0)
            zip_source_free(source);
        else
            zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_STORE, 0);
        at = end + 4;
    }
    check(zip_close(zip) == 0, "a package can be made", path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QTemporaryDir dir;
    const QString media = dir.filePath("media"), scratch = dir.filePath("scratch");
    QFile file(dir.filePath("deck.apkg"));
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    check(QDir().mkdir(media) && QDir().mkdir(scratch), "the folders can be made", dir.path());
    if (input.startsWith("PK")) {
        check(file.open(QIODevice::WriteOnly) && file.write(input) == input.size(),
              "the input can be written");
        file.close();
    } else {
        pack(input, file.fileName());
    }
    try {
        const ReadDeck deck = AnkiPackageReader::read(file.fileName(), media, scratch);
        check(!deck.phrases.empty(), "a deck holds a phrase");
        for (const ReadPhrase& phrase : deck.phrases) {
            for (const QString& text : {phrase.first, phrase.second})
                check(!text.isEmpty() && text.size() <= DeckLimits::kLongestText,
                      "a text is filled in and short", text.left(80));
            for (const QString& sound : {phrase.firstSound, phrase.secondSound})
                check(sound.isEmpty() || QFileInfo(QDir(media).filePath(sound)).isFile(),
                      "a recording is in the media folder", sound);
        }
    } catch (const DeckReadError&) {
    }
    for (const QString& name :
         QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        check(QStringList({"deck.apkg", "media", "scratch"}).contains(name),
              "nothing is written beside the folders given", name);
    check(QDir(media).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty(),
          "the media folder holds files only");
    return 0;
}
