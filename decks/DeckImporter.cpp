// Importing a deck: read into a scratch folder beside the decks, written as the program's own deck file,
// then moved into place with one rename.
#include "decks/DeckImporter.h"

#include "decks/AnkiPackageModule.h"
#include "decks/DeckFile.h"
#include "decks/PhraseListReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace dialoon {
namespace {

constexpr qint64 kLargestList = 64LL << 20; // bytes of a phrase list: far more than any list needs

// A folder name made of the file's name: plain letters, digits and dashes, never empty.
QString folderNameFor(const QString& file)
{
    QString name;
    for (const QChar c : QFileInfo(file).completeBaseName().toLower()) {
        if (c.unicode() < 128 && c.isLetterOrNumber())
            name += c;
        else if (!name.isEmpty() && !name.endsWith(u'-'))
            name += u'-';
        if (name.size() >= 40) break;
    }
    while (name.endsWith(u'-'))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("deck") : name;
}

[[noreturn]] void refuse(const QString& file, const QString& reason)
{
    throw DeckReadError(QStringLiteral("\"%1\" cannot be opened as phrases: %2.")
                            .arg(QFileInfo(file).fileName(), reason)
                            .toStdString());
}

ReadDeck readFile(const QString& file, const QString& mediaFolder, const QString& scratchFolder,
                  const ReadProgress& progress)
{
    const QFileInfo info(file);
    if (!info.exists()) throw DeckReadError("there is no such file");
    if (!info.isFile()) throw DeckReadError("it is not a file");
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) throw DeckReadError(in.errorString().toStdString());
    if (in.size() > DeckLimits::kLargestFile) throw DeckReadError("it is too large");
    const QByteArray start = in.peek(4);
    if (AnkiPackageModule::looksLikePackage(start))
        return AnkiPackageModule::read(file, mediaFolder, scratchFolder, progress);
    if (in.size() > kLargestList) throw DeckReadError("it is too large for a list of phrases");
    const QByteArray bytes = in.readAll();
    if (bytes.size() != in.size()) throw DeckReadError("it could not be read to its end");
    if (progress) progress(1, 1);
    return PhraseListReader::read(bytes);
}

} // namespace

ImportedDeck DeckImporter::import(const QString& file, const ReadProgress& progress) const
{
    if (!QDir().mkpath(decksFolder_)) refuse(file, "the folder " + decksFolder_ + " cannot be made");
    // An import cut short by the end of the program (a logout, a power cut) left its scratch folder: only
    // one copy of the program runs, so none is in use now.
    const QDir folder(decksFolder_);
    for (const QString& left : folder.entryList({QStringLiteral(".import-*")}, QDir::Dirs | QDir::Hidden))
        QDir(folder.filePath(left)).removeRecursively();
    // The scratch folder lies beside the decks, so that the one rename stays on one file system, and
    // goes whatever happens.
    QTemporaryDir scratch(QDir(decksFolder_).filePath(QStringLiteral(".import-XXXXXX")));
    if (!scratch.isValid()) refuse(file, "the folder " + decksFolder_ + " is not writable");
    const QString deckFolder = scratch.filePath(QStringLiteral("deck"));
    const QString mediaFolder = QDir(deckFolder).filePath(DeckFile::kMediaFolder);
    const QString workFolder = scratch.filePath(QStringLiteral("work"));
    if (!QDir().mkpath(mediaFolder) || !QDir().mkpath(workFolder))
        refuse(file, "the folder " + decksFolder_ + " is not writable");

    ReadDeck deck;
    try {
        deck = readFile(file, mediaFolder, workFolder, progress);
    } catch (const DeckReadError& e) {
        refuse(file, QString::fromStdString(e.what()));
    } catch (const std::bad_alloc&) {
        refuse(file, "it needs more memory than there is");
    }
    if (deck.phrases.empty()) refuse(file, "it holds no phrases with both a German and an English text");

    ImportedDeck imported;
    imported.title =
        deck.title.trimmed().isEmpty() ? QFileInfo(file).completeBaseName() : deck.title.trimmed();
    imported.phrases = int(deck.phrases.size());
    imported.skipped = deck.skipped;
    imported.recordings = int(QDir(mediaFolder).entryList(QDir::Files).size());

    QFile out(QDir(deckFolder).filePath(DeckFile::kFileName));
    const QByteArray text = DeckFile::write(deck, imported.title);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.flush())
        refuse(file, "the disk is full or not writable (" + out.errorString() + ")");
    out.close();

    const QString base = folderNameFor(file);
    for (int n = 1; n < 1000; ++n) {
        const QString id = n == 1 ? base : QStringLiteral("%1-%2").arg(base).arg(n);
        const QString target = QDir(decksFolder_).filePath(id);
        if (QFileInfo::exists(target)) continue;
        if (!QDir().rename(deckFolder, target)) refuse(file, "it could not be moved into " + decksFolder_);
        imported.id = id;
        return imported;
    }
    refuse(file, "there are too many decks of that name");
}

} // namespace dialoon
