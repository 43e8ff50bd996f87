// Turns a deck field's HTML or plain text into what the strip shows and the voice speaks. Fields come from
// untrusted files and may be megabytes long, so every pass is one forward scan that appends to a new
// string; a search for a closing mark either succeeds and consumes what it passed, or ends the pass.
#include "decks/FieldText.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>
#include <vector>

namespace dialoon::FieldTexts {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kDropped = 0; // an entity that stands for nothing visible (the soft hyphen)

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiAlnum(QChar c)
{
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9');
}

int digitValue(QChar c, bool hex)
{
    if (c >= u'0' && c <= u'9') return c.unicode() - u'0';
    if (!hex) return -1;
    if (c >= u'a' && c <= u'f') return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c.unicode() - u'A' + 10;
    return -1;
}

void appendCodePoint(QString& out, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        out.append(QChar(QChar::highSurrogate(c)));
        out.append(QChar(QChar::lowSurrogate(c)));
    } else {
        out.append(QChar(static_cast<char16_t>(c)));
    }
}

// Control characters other than line breaks and tabs would show as boxes or confuse the voice.
bool isShowable(char32_t c)
{
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    if (c < 0x20) return c == u'\t' || c == u'\n' || c == u'\r';
    return c < 0x7F || c > 0x9F;
}

const QHash<QString, char32_t>& namedEntities()
{
    static const QHash<QString, char32_t> table = [] {
        // U+00A0 to U+00FF in order: HTML names all of Latin-1's upper half.
        static constexpr std::array<const char*, 96> latin1 = {
            "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
            "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
            "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
            "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
            "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
            "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
            "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
            "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
            "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
            "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
            "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};
        static constexpr std::pair<const char*, char32_t> others[] = {
            {"amp", u'&'},      {"lt", u'<'},       {"gt", u'>'},      {"quot", u'"'},
            {"apos", u'\''},    {"nbsp", u' '},     {"shy", kDropped}, {"OElig", 0x152},
            {"oelig", 0x153},   {"Scaron", 0x160},  {"scaron", 0x161}, {"Yuml", 0x178},
            {"Zcaron", 0x17D},  {"zcaron", 0x17E},  {"fnof", 0x192},   {"circ", 0x2C6},
            {"tilde", 0x2DC},   {"ensp", 0x2002},   {"emsp", 0x2003},  {"thinsp", 0x2009},
            {"zwnj", 0x200C},   {"zwj", 0x200D},    {"lrm", 0x200E},   {"rlm", 0x200F},
            {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018}, {"rsquo", 0x2019},
            {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D}, {"bdquo", 0x201E},
            {"dagger", 0x2020}, {"Dagger", 0x2021}, {"bull", 0x2022},  {"hellip", 0x2026},
            {"permil", 0x2030}, {"prime", 0x2032},  {"Prime", 0x2033}, {"lsaquo", 0x2039},
            {"rsaquo", 0x203A}, {"euro", 0x20AC},   {"trade", 0x2122}, {"larr", 0x2190},
            {"uarr", 0x2191},   {"rarr", 0x2192},   {"darr", 0x2193},  {"harr", 0x2194},
            {"minus", 0x2212},  {"hyphen", 0x2010}, {"colon", u':'},   {"semi", u';'},
            {"lbrack", u'['},   {"rbrack", u']'},   {"lbrace", u'{'},  {"rbrace", u'}'}};
        QHash<QString, char32_t> names;
        for (std::size_t i = 0; i < latin1.size(); ++i)
            names.insert(QString::fromLatin1(latin1[i]), static_cast<char32_t>(0xA0 + i));
        for (const auto& [name, c] : others) // later: nbsp and shy become a blank and nothing
            names.insert(QString::fromLatin1(name), c);
        return names;
    }();
    return table;
}

// in[i] is '&'. Appends what the reference stands for (or the '&' itself when it is none) and returns
// where to go on. Digits are consumed however many there are, so a long run costs one pass.
qsizetype decodeEntity(QStringView in, qsizetype i, QString& out)
{
    const qsizetype n = in.size();
    qsizetype j = i + 1;
    if (j < n && in[j] == u'#') {
        ++j;
        const bool hex = j < n && (in[j] == u'x' || in[j] == u'X');
        if (hex) ++j;
        const qsizetype digits = j;
        char32_t value = 0;
        bool tooLarge = false;
        for (int d; j < n && (d = digitValue(in[j], hex)) >= 0; ++j) {
            if (!tooLarge) {
                value = value * (hex ? 16 : 10) + static_cast<char32_t>(d);
                tooLarge = value > 0x10FFFF;
            }
        }
        if (j == digits) {
            out.append(u'&');
            return i + 1;
        }
        if (j < n && in[j] == u';') ++j;
        appendCodePoint(out, !tooLarge && isShowable(value) ? value : kReplacement);
        return j;
    }
    constexpr qsizetype kLongestName = 32;
    while (j < n && j - i <= kLongestName && isAsciiAlnum(in[j]))
        ++j;
    if (j < n && j > i + 1 && in[j] == u';') {
        const auto& names = namedEntities();
        const auto found = names.constFind(in.mid(i + 1, j - i - 1).toString());
        if (found != names.cend()) {
            if (*found != kDropped) appendCodePoint(out, *found);
            return j + 1;
        }
    }
    out.append(u'&');
    return i + 1;
}

// Where the tag whose attributes start at j ends ('>'), or -1 when the text ends first. A quoted
// attribute value may hold a '>'.
qsizetype tagEnd(QStringView in, qsizetype j)
{
    const qsizetype n = in.size();
    bool afterEquals = false;
    while (j < n) {
        const QChar c = in[j];
        if (c == u'>') return j;
        if (afterEquals && (c == u'"' || c == u'\'')) {
            const qsizetype close = in.indexOf(c, j + 1);
            if (close < 0) return -1;
            j = close + 1;
            afterEquals = false;
            continue;
        }
        if (c == u'=')
            afterEquals = true;
        else if (!c.isSpace())
            afterEquals = false;
        ++j;
    }
    return -1;
}

// Tags that start or end a line or a box when shown: a blank keeps the words on both sides apart.
bool breaksLine(const QString& name)
{
    static constexpr QStringView blocks[] = {
        u"address", u"article", u"aside",  u"blockquote", u"br", u"caption", u"center",  u"dd",    u"div",
        u"dl",      u"dt",      u"footer", u"h1",         u"h2", u"h3",      u"h4",      u"h5",    u"h6",
        u"header",  u"hr",      u"li",     u"ol",         u"p",  u"pre",     u"section", u"table", u"tbody",
        u"td",      u"tfoot",   u"th",     u"thead",      u"tr", u"ul"};
    return std::find(std::begin(blocks), std::end(blocks), name) != std::end(blocks);
}

// in[i] is '<'. Skips the tag, comment or hidden element there and returns where to go on; a '<' that
// starts no tag is kept. A tag or comment cut off by the end hides the rest, as a browser does.
qsizetype skipMarkup(QStringView in, qsizetype i, QString& out)
{
    const qsizetype n = in.size();
    if (in.sliced(i).startsWith(u"<!--")) {
        const qsizetype end = in.indexOf(u"-->", i + 4);
        return end < 0 ? n : end + 3;
    }
    qsizetype j = i + 1;
    const bool closing = j < n && in[j] == u'/';
    if (closing) ++j;
    const bool declaration = !closing && j < n && (in[j] == u'!' || in[j] == u'?');
    if (j >= n || !(isAsciiLetter(in[j]) || declaration)) {
        out.append(u'<');
        return i + 1;
    }
    const qsizetype nameStart = j;
    while (j < n && (isAsciiAlnum(in[j]) || in[j] == u'-'))
        ++j;
    const QString name = in.mid(nameStart, j - nameStart).toString().toLower();
    const qsizetype end = tagEnd(in, j);
    if (end < 0) return n;
    if (breaksLine(name)) out.append(u' ');
    const bool selfClosing = in[end - 1] == u'/';
    if (!closing && !selfClosing && (name == u"script" || name == u"style" || name == u"title")) {
        const qsizetype close = in.indexOf(QStringLiteral("</") + name, end + 1, Qt::CaseInsensitive);
        return close < 0 ? n : close; // the closing tag is skipped as a tag of its own
    }
    return end + 1;
}

QString htmlToText(QStringView in)
{
    QString out;
    out.reserve(in.size());
    const qsizetype n = in.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = in[i];
        if (c == u'<')
            i = skipMarkup(in, i, out);
        else if (c == u'&')
            i = decodeEntity(in, i, out);
        else {
            out.append(c);
            ++i;
        }
    }
    return out;
}

// {{c1::answer}} and {{c1::answer::hint}} become "answer"; clozes may nest. An unclosed cloze keeps its
// text without the opening mark.
QString resolveClozes(const QString& in)
{
    if (!in.contains(u"{{")) return in;
    QString out;
    out.reserve(in.size());
    std::vector<qsizetype> hintStarts; // per open cloze: where its hint begins in out, or -1 before it
    const qsizetype n = in.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = in[i];
        if (c == u'{' && i + 2 < n && in[i + 1] == u'{' && (in[i + 2] == u'c' || in[i + 2] == u'C')) {
            qsizetype j = i + 3;
            while (j < n && in[j] >= u'0' && in[j] <= u'9')
                ++j;
            if (j > i + 3 && j + 1 < n && in[j] == u':' && in[j + 1] == u':') {
                hintStarts.push_back(-1);
                i = j + 2;
                continue;
            }
        }
        if (!hintStarts.empty() && i + 1 < n) {
            if (c == u':' && in[i + 1] == u':' && hintStarts.back() < 0) {
                hintStarts.back() = out.size();
                i += 2;
                continue;
            }
            if (c == u'}' && in[i + 1] == u'}') {
                if (hintStarts.back() >= 0) out.truncate(hintStarts.back());
                hintStarts.pop_back();
                i += 2;
                continue;
            }
        }
        out.append(c);
        ++i;
    }
    return out;
}

// Takes the [sound:name] markers out, leaving a blank so that the words around one stay apart and no new
// marker forms from the pieces. A marker with no ']' after it is no marker.
QString takeSounds(const QString& in, QStringList& sounds)
{
    static constexpr QStringView kMarker = u"[sound:";
    qsizetype at = in.indexOf(kMarker);
    if (at < 0) return in;
    QString out;
    out.reserve(in.size());
    qsizetype from = 0;
    while (at >= 0) {
        const qsizetype nameStart = at + kMarker.size();
        const qsizetype close = in.indexOf(u']', nameStart);
        if (close < 0) break;
        out.append(QStringView(in).sliced(from, at - from));
        out.append(u' ');
        const QString name = in.sliced(nameStart, close - nameStart).trimmed();
        if (!name.isEmpty()) sounds.append(name);
        from = close + 1;
        at = in.indexOf(kMarker, from);
    }
    out.append(QStringView(in).sliced(from));
    return out;
}

} // namespace

FieldText fromHtml(const QString& html)
{
    FieldText field;
    field.text = takeSounds(resolveClozes(htmlToText(html)), field.sounds).simplified();
    return field;
}

FieldText fromPlain(const QString& text)
{
    FieldText field;
    field.text = takeSounds(text, field.sounds).simplified();
    return field;
}

} // namespace dialoon::FieldTexts
