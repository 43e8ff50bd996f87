// Reads a phrase list: decodes the bytes, reads Anki's header lines, finds the delimiter when none is
// named, and splits the rest into records by RFC 4180. The input is untrusted and may be large: every step
// is one forward pass, a field keeps at most kLongestRawField characters, and a record keeps only the
// columns a phrase uses, however many it has.
#include "decks/PhraseListReader.h"

#include "decks/FieldText.h"

#include <QByteArrayView>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace dialoon::PhraseListReader {
namespace {

// Characters of one field as written. HTML may carry much that is not shown (an image as a data URL), so
// this is far above DeckLimits::kLongestText; a longer field can never be a phrase.
constexpr qsizetype kLongestRawField = 4 << 20;
// Column numbers a header may name; beyond, the header is taken for a mistake.
constexpr int kMostColumns = 1000;

const char* const kNoPhrases = "it holds no phrases: each line needs a German and an English column, "
                               "separated by a tab, a semicolon or a comma";

QString fromWindows1252(QByteArrayView bytes)
{
    // 0x80 to 0x9F; the rest is Latin-1. The five unassigned bytes cannot be shown.
    static constexpr std::array<char16_t, 32> high = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = QChar(b >= 0x80 && b <= 0x9F ? high[b - 0x80] : char16_t(b));
    }
    return text;
}

QString decodeText(const QByteArray& bytes)
{
    const QByteArrayView view(bytes);
    QString text;
    if (view.startsWith("\xFF\xFE") || view.startsWith("\xFE\xFF")) {
        const bool little = view.startsWith("\xFF\xFE");
        QStringDecoder utf16(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        text = utf16.decode(view.sliced(2));
    } else {
        if (view.contains('\0')) throw DeckReadError("the file is not a text file");
        const QByteArrayView body = view.startsWith("\xEF\xBB\xBF") ? view.sliced(3) : view;
        // Stateless: a sequence cut off at the end is an error too, so that a Latin-1 file ending in
        // an umlaut is not taken for UTF-8.
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        text = utf8.decode(body);
        if (utf8.hasError()) text = fromWindows1252(body);
    }
    if (text.contains(QChar(0))) throw DeckReadError("the file is not a text file");
    return text;
}

// What Anki's header lines say; columns are 0-based, -1 when not named.
struct Header
{
    QChar separator; // null: find it
    std::optional<bool> html;
    QString title;
    QString columnNames;
    int deckColumn = -1;
    int notetypeColumn = -1;
    int guidColumn = -1;
    int tagsColumn = -1;
    bool namesColumns = false; // the file says which column is what: no third column as the lesson
    qsizetype bodyStart = 0;
};

QChar separatorNamed(QStringView raw)
{
    const QStringView value = raw.size() == 1 ? raw : raw.trimmed();
    QChar c;
    if (value.size() == 1)
        c = value[0];
    else if (value.compare(u"tab", Qt::CaseInsensitive) == 0 || value == u"\\t")
        c = u'\t';
    else if (value.compare(u"comma", Qt::CaseInsensitive) == 0)
        c = u',';
    else if (value.compare(u"semicolon", Qt::CaseInsensitive) == 0)
        c = u';';
    else if (value.compare(u"pipe", Qt::CaseInsensitive) == 0)
        c = u'|';
    else if (value.compare(u"space", Qt::CaseInsensitive) == 0)
        c = u' ';
    else if (value.compare(u"colon", Qt::CaseInsensitive) == 0)
        c = u':';
    // These would make records unreadable; such a header is passed over.
    return c == u'"' || c == u'\n' || c == u'\r' ? QChar() : c;
}

int columnNumbered(QStringView value)
{
    bool ok = false;
    const int number = value.trimmed().toInt(&ok);
    return ok && number >= 1 && number <= kMostColumns ? number - 1 : -1;
}

void readHeaderLine(Header& header, QStringView line)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0) return; // a comment
    const QString key = line.first(colon).trimmed().toString().toLower();
    const QStringView value = line.sliced(colon + 1);
    if (key == u"separator") {
        header.separator = separatorNamed(value);
    } else if (key == u"html") {
        if (value.trimmed().compare(u"true", Qt::CaseInsensitive) == 0) header.html = true;
        if (value.trimmed().compare(u"false", Qt::CaseInsensitive) == 0) header.html = false;
    } else if (key == u"deck") {
        header.title = FieldTexts::fromPlain(value.toString()).text;
    } else if (key == u"columns") {
        header.columnNames = value.toString();
        header.namesColumns = true;
    } else {
        int* column = key == u"deck column"       ? &header.deckColumn
                      : key == u"notetype column" ? &header.notetypeColumn
                      : key == u"guid column"     ? &header.guidColumn
                      : key == u"tags column"     ? &header.tagsColumn
                                                  : nullptr;
        if (column) {
            *column = columnNumbered(value);
            header.namesColumns = true;
        }
    }
}

// The lines at the top that start with '#'. Further down, such a line is a phrase like any other.
Header readHeader(QStringView text)
{
    Header header;
    const qsizetype n = text.size();
    qsizetype pos = 0;
    while (pos < n && text[pos] == u'#') {
        qsizetype end = pos;
        while (end < n && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        readHeaderLine(header, text.sliced(pos + 1, end - pos - 1));
        pos = end;
        if (pos < n && text[pos] == u'\r') ++pos;
        if (pos < n && text[pos] == u'\n') ++pos;
    }
    header.bodyStart = pos;
    return header;
}

struct Field
{
    QString text;
    bool overlong = false;
};

// RFC 4180 records: fields in double quotes may hold the delimiter, line breaks and "" for a quote; a
// quote inside an unquoted field is kept; lines end in CRLF, LF or CR. A quoted field left open runs to
// the end of the text. Only the first `keep` fields of a record are kept; the others are counted. In a
// list of HTML, a semicolon that ends an entity (&nbsp;) is part of the field, not a delimiter.
class RecordParser
{
public:
    RecordParser(QStringView text, QChar delimiter, int keep, bool html)
        : text_(text), delimiter_(delimiter), entities_(html && delimiter == u';'),
          fields_(static_cast<std::size_t>(keep))
    {
    }

    bool next()
    {
        if (pos_ >= text_.size()) return false;
        count_ = 0;
        qsizetype written = 0;
        Ending ending;
        do {
            Field* field = nullptr;
            if (count_ < static_cast<qsizetype>(fields_.size())) {
                field = &fields_[static_cast<std::size_t>(count_)];
                field->text.resize(0); // keeps the allocation for the next record
                field->overlong = false;
            }
            ++count_;
            ending = readField(field, written);
        } while (ending == Ending::Delimiter);
        blank_ = count_ == 1 && written == 0;
        return true;
    }

    qsizetype count() const { return count_; }
    // A line with nothing on it, which is no record.
    bool blank() const { return blank_; }
    const Field& field(qsizetype i) const { return fields_[static_cast<std::size_t>(i)]; }

private:
    enum class Ending { Delimiter, Line, Text };

    void add(Field* field, QStringView part, qsizetype& written)
    {
        written += part.size();
        if (!field || field->overlong || part.isEmpty()) return;
        if (field->text.size() + part.size() > kLongestRawField) {
            field->overlong = true;
            field->text = QString();
            return;
        }
        field->text.append(part);
    }

    Ending readField(Field* field, qsizetype& written)
    {
        const qsizetype n = text_.size();
        if (pos_ < n && text_[pos_] == u'"') {
            ++written; // "" is a field, though an empty one
            ++pos_;
            for (;;) {
                const qsizetype quote = text_.indexOf(u'"', pos_);
                if (quote < 0) {
                    add(field, text_.sliced(pos_), written);
                    pos_ = n;
                    return Ending::Text;
                }
                add(field, text_.sliced(pos_, quote - pos_), written);
                pos_ = quote + 1;
                if (pos_ < n && text_[pos_] == u'"') {
                    add(field, u"\"", written);
                    ++pos_;
                    continue;
                }
                break;
            }
        }
        // An unquoted field, or what follows a closing quote before the delimiter: kept as it is.
        const qsizetype start = pos_;
        while (pos_ < n && text_[pos_] != u'\n' && text_[pos_] != u'\r' &&
               (text_[pos_] != delimiter_ || (entities_ && endsEntity(pos_))))
            ++pos_;
        add(field, text_.sliced(start, pos_ - start), written);
        if (pos_ >= n) return Ending::Text;
        const QChar c = text_[pos_++];
        if (c == delimiter_) return Ending::Delimiter;
        if (c == u'\r' && pos_ < n && text_[pos_] == u'\n') ++pos_;
        return Ending::Line;
    }

    // Looks back a bounded way, so that a long run of semicolons costs no more than one pass.
    bool endsEntity(qsizetype semicolon) const
    {
        constexpr qsizetype kLongestName = 32;
        qsizetype j = semicolon - 1;
        while (j >= 0 && semicolon - j <= kLongestName && text_[j].isLetterOrNumber() &&
               text_[j].unicode() < 0x80)
            --j;
        if (j == semicolon - 1) return false;
        if (j >= 0 && text_[j] == u'#') --j;
        return j >= 0 && text_[j] == u'&';
    }

    QStringView text_;
    QChar delimiter_;
    bool entities_;
    std::vector<Field> fields_;
    qsizetype pos_ = 0;
    qsizetype count_ = 0;
    bool blank_ = false;
};

// The delimiter that splits the first lines into two or more columns most often, and then most evenly;
// on a tie tab before semicolon before comma.
QChar findDelimiter(QStringView body, bool html)
{
    constexpr qsizetype kSample = 1 << 20;
    constexpr int kSampleRecords = 50;
    const QStringView sample = body.first(std::min(body.size(), kSample));
    QChar best;
    std::pair<int, int> bestScore{0, 0};
    for (const QChar delimiter : {QChar(u'\t'), QChar(u';'), QChar(u',')}) {
        RecordParser parser(sample, delimiter, 0, html);
        std::vector<qsizetype> counts;
        while (static_cast<int>(counts.size()) < kSampleRecords && parser.next())
            if (!parser.blank()) counts.push_back(parser.count());
        int split = 0;
        int even = 0;
        for (const qsizetype count : counts) {
            if (count < 2) continue;
            ++split;
            even = std::max(even, static_cast<int>(std::count(counts.begin(), counts.end(), count)));
        }
        const std::pair<int, int> score{split, even};
        if (score > bestScore) {
            bestScore = score;
            best = delimiter;
        }
    }
    if (best.isNull()) throw DeckReadError(kNoPhrases);
    return best;
}

// Which columns hold the phrase's two fields and its lesson.
struct Layout
{
    int first = 0;
    int second = 1;
    int lesson = 2;

    int keep() const { return std::max({first, second, lesson}) + 1; }
};

Layout layoutOf(Header& header, QChar delimiter)
{
    if (!header.namesColumns) return {};
    QStringList names = header.columnNames.split(delimiter);
    if (names.size() == 1) names = header.columnNames.split(u'\t');
    for (int i = 0; i < std::min<int>(names.size(), kMostColumns); ++i) {
        const QString name = names[i].trimmed().toLower();
        int* column = name == u"deck"                               ? &header.deckColumn
                      : name == u"tags"                             ? &header.tagsColumn
                      : name == u"guid"                             ? &header.guidColumn
                      : name == u"notetype" || name == u"note type" ? &header.notetypeColumn
                                                                    : nullptr;
        if (column && *column < 0) *column = i; // a "#... column:" line says it first
    }
    Layout layout{-1, -1, header.deckColumn};
    for (int i = 0; layout.second < 0; ++i) {
        if (i == header.deckColumn || i == header.notetypeColumn || i == header.guidColumn ||
            i == header.tagsColumn)
            continue;
        (layout.first < 0 ? layout.first : layout.second) = i;
    }
    return layout;
}

// Whether a list without Anki's #html: header holds HTML: a tag or an entity Anki's editor writes.
bool looksLikeHtml(QStringView body)
{
    static constexpr QStringView tags[] = {u"<br", u"<div",  u"</",   u"<p>",   u"<b>",  u"<i>",
                                           u"<u>", u"<span", u"<img", u"<font", u"<sup", u"<sub"};
    static constexpr QStringView entities[] = {u"&nbsp;", u"&amp;", u"&lt;", u"&gt;", u"&quot;", u"&#"};
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        if (c != u'<' && c != u'&') continue;
        const QStringView rest = body.sliced(i);
        const auto starts = [&](QStringView mark) { return rest.startsWith(mark, Qt::CaseInsensitive); };
        if (c == u'<' ? std::any_of(std::begin(tags), std::end(tags), starts)
                      : std::any_of(std::begin(entities), std::end(entities), starts))
            return true;
    }
    return false;
}

// A first row naming the columns, as spreadsheets write it.
bool isColumnNames(const QString& first, const QString& second)
{
    const auto kind = [](const QString& word) {
        const QString w = word.toLower();
        if (w == u"german" || w == u"deutsch") return 1;
        if (w == u"english" || w == u"englisch") return 2;
        if (w == u"front" || w == u"vorderseite") return 3;
        if (w == u"back" || w == u"rückseite") return 4;
        return 0;
    };
    const int a = kind(first);
    const int b = kind(second);
    return (a == 1 && b == 2) || (a == 2 && b == 1) || (a == 3 && b == 4);
}

} // namespace

ReadDeck read(const QByteArray& bytes)
{
    const QString text = decodeText(bytes);
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); }))
        throw DeckReadError("the file is empty");
    Header header = readHeader(text);
    const QStringView body = QStringView(text).sliced(header.bodyStart);
    const bool html = header.html.value_or(looksLikeHtml(body));
    const QChar delimiter = header.separator.isNull() ? findDelimiter(body, html) : header.separator;
    const Layout layout = layoutOf(header, delimiter);
    const auto convert = [html](const QString& field) {
        return html ? FieldTexts::fromHtml(field) : FieldTexts::fromPlain(field);
    };

    ReadDeck deck;
    deck.title = header.title;
    bool firstRecord = true;
    bool anySplit = false;
    RecordParser parser(body, delimiter, layout.keep(), html);
    while (parser.next()) {
        if (parser.blank()) continue;
        const bool maybeColumnNames = std::exchange(firstRecord, false) && !header.namesColumns;
        if (parser.count() <= std::max(layout.first, layout.second)) {
            ++deck.skipped;
            continue;
        }
        anySplit = true;
        const Field& first = parser.field(layout.first);
        const Field& second = parser.field(layout.second);
        const bool hasLesson = layout.lesson >= 0 && parser.count() > layout.lesson;
        if (first.overlong || second.overlong || (hasLesson && parser.field(layout.lesson).overlong)) {
            ++deck.skipped;
            continue;
        }
        ReadPhrase phrase;
        const FieldText a = convert(first.text);
        const FieldText b = convert(second.text);
        if (maybeColumnNames && isColumnNames(a.text, b.text)) continue;
        phrase.first = a.text;
        phrase.second = b.text;
        phrase.firstSound = a.sounds.value(0);
        phrase.secondSound = b.sounds.value(0);
        if (hasLesson) {
            const QString& lesson = parser.field(layout.lesson).text;
            // Anki writes deck names as they are; a lesson column of a list is a field like the others.
            phrase.lesson = layout.lesson == header.deckColumn ? FieldTexts::fromPlain(lesson).text
                                                               : convert(lesson).text;
        }
        const auto fits = [](const QString& s) { return s.size() <= DeckLimits::kLongestText; };
        if (phrase.first.isEmpty() || phrase.second.isEmpty() || !fits(phrase.first) ||
            !fits(phrase.second) || !fits(phrase.lesson)) {
            ++deck.skipped;
            continue;
        }
        if (deck.phrases.size() >= static_cast<std::size_t>(DeckLimits::kMostPhrases))
            throw DeckReadError(
                QStringLiteral("it holds more than %1 phrases, more than the program can play")
                    .arg(DeckLimits::kMostPhrases)
                    .toStdString());
        deck.phrases.push_back(std::move(phrase));
    }
    if (deck.phrases.empty())
        throw DeckReadError(anySplit ? QStringLiteral("it holds no phrases: no line has both a German and an "
                                                      "English text of at most %1 characters")
                                           .arg(DeckLimits::kLongestText)
                                           .toStdString()
                                     : std::string(kNoPhrases));
    return deck;
}

} // namespace dialoon::PhraseListReader
