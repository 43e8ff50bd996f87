// The program's own deck file: written from what a reader made of a deck, read back when the deck plays.
#include "decks/DeckFile.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <array>

namespace dialoon::DeckFile {
namespace {

const QByteArray kFirstLine = "Dialoon deck 1";

// A field never holds the file's own separators.
QByteArray field(const QString& text)
{
    QString flat = text;
    for (QChar& c : flat)
        if (c == u'\t' || c == u'\n' || c == u'\r') c = u' ';
    return flat.toUtf8();
}

// A recording's name as the importer made it: a plain file name in the media folder.
bool isPlainName(const QString& name)
{
    if (name.isEmpty() || name.size() > 64 || name.startsWith(u'.')) return false;
    for (const QChar c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'.' && c != u'_' && c != u'-') return false;
    return true;
}

} // namespace

QByteArray write(const ReadDeck& deck, const QString& title)
{
    // Lessons in the order they first come, each phrase kept in its deck order within its lesson.
    QStringList lessons;
    QHash<QString, int> lessonIndex;
    std::vector<std::vector<const ReadPhrase*>> byLesson;
    int unnamed = 0;
    for (const ReadPhrase& phrase : deck.phrases) {
        QString name = phrase.lesson.trimmed();
        if (name.isEmpty()) {
            const int first = unnamed / kLessonSize * kLessonSize + 1;
            const int last = first + kLessonSize - 1;
            name = QStringLiteral("Phrases %1 to %2").arg(first).arg(last);
            ++unnamed;
        }
        auto it = lessonIndex.find(name);
        if (it == lessonIndex.end()) {
            it = lessonIndex.insert(name, int(lessons.size()));
            lessons.append(name);
            byLesson.emplace_back();
        }
        byLesson[*it].push_back(&phrase);
    }
    // The last unnamed lesson says how far it really goes.
    if (unnamed % kLessonSize != 0) {
        const int first = unnamed / kLessonSize * kLessonSize + 1;
        const QString planned = QStringLiteral("Phrases %1 to %2").arg(first).arg(first + kLessonSize - 1);
        const int index = lessons.indexOf(planned);
        if (index >= 0)
            lessons[index] = first == unnamed ? QStringLiteral("Phrase %1").arg(first)
                                              : QStringLiteral("Phrases %1 to %2").arg(first).arg(unnamed);
    }

    QByteArray out = kFirstLine + '\n';
    out += "title\t" + field(title) + '\n';
    for (std::size_t l = 0; l < byLesson.size(); ++l) {
        out += "lesson\t" + field(lessons[int(l)]) + '\n';
        for (const ReadPhrase* p : byLesson[l])
            out += "phrase\t" + field(p->first) + '\t' + field(p->second) + '\t' + field(p->firstSound) +
                   '\t' + field(p->secondSound) + '\n';
    }
    return out;
}

Deck read(const QString& folder, bool swapped)
{
    QFile file(QDir(folder).filePath(kFileName));
    if (!file.open(QIODevice::ReadOnly))
        throw DeckReadError("its deck file cannot be read (" + file.errorString().toStdString() + ")");
    if (file.size() > DeckLimits::kLargestFile) throw DeckReadError("its deck file is too large");
    // Read line by line, twice: the first time only counts, so that the phrases take just their room.
    // A deck plays all day, so every byte it keeps counts.
    qsizetype lineCount = 0;
    while (!file.atEnd()) {
        file.readLine();
        ++lineCount;
    }
    file.seek(0);
    if (file.readLine().trimmed() != kFirstLine) throw DeckReadError("it is not a deck file");

    Deck deck;
    deck.mediaFolder = QDir(folder).absoluteFilePath(kMediaFolder) + u'/';
    deck.phrases.reserve(std::size_t(std::min<qsizetype>(lineCount, DeckLimits::kMostPhrases)));
    std::array<QByteArrayView, 6> parts;
    for (qsizetype number = 2; !file.atEnd(); ++number) {
        const QByteArray line = file.readLine();
        const QByteArrayView text = QByteArrayView(line).chopped(line.endsWith('\n') ? 1 : 0);
        if (text.isEmpty()) continue;
        std::size_t count = 0;
        for (qsizetype from = 0;;) {
            const qsizetype tab = text.indexOf('\t', from);
            if (count == parts.size()) break;
            parts[count++] = text.sliced(from, (tab < 0 ? text.size() : tab) - from);
            if (tab < 0) break;
            from = tab + 1;
        }
        const QByteArrayView kind = parts[0];
        if (kind == "title" && count == 2) {
            deck.title = QString::fromUtf8(parts[1]);
        } else if (kind == "lesson" && count == 2) {
            deck.lessons.append(QString::fromUtf8(parts[1]));
        } else if (kind == "phrase" && count == 5 && !deck.lessons.isEmpty()) {
            const QString german = QString::fromUtf8(swapped ? parts[2] : parts[1]);
            const QString english = QString::fromUtf8(swapped ? parts[1] : parts[2]);
            const QString sound = QString::fromUtf8(swapped ? parts[4] : parts[3]);
            if (german.trimmed().isEmpty() || english.trimmed().isEmpty()) continue;
            if (int(deck.phrases.size()) >= DeckLimits::kMostPhrases) break;
            deck.phrases.push_back(
                {german, english, isPlainName(sound) ? sound : QString(), int(deck.lessons.size()) - 1});
        } else {
            throw DeckReadError("its deck file is damaged at line " + std::to_string(number));
        }
    }
    deck.phrases.shrink_to_fit();
    if (deck.phrases.empty()) throw DeckReadError("it holds no phrases");
    return deck;
}

std::optional<Summary> summary(const QString& folder)
{
    try {
        const Deck deck = read(folder);
        return Summary{deck.title, int(deck.phrases.size())};
    } catch (const DeckReadError&) {
        return std::nullopt;
    }
}

} // namespace dialoon::DeckFile
