// The phrase list reader and the field text conversion on any bytes. Reading either gives a deck within
// DeckLimits whose every phrase has both texts, plain and bounded, or raises DeckReadError; a field's text
// keeps no whole [sound:...] marker and no blank at either end.
#include "FuzzCheck.h"

#include "decks/FieldText.h"
#include "decks/PhraseListReader.h"

#include <cstdint>

using namespace dialoon;
using dialoon::fuzz::check;

namespace {

bool isTrimmed(const QString& text)
{
    return text.isEmpty() || (!text.front().isSpace() && !text.back().isSpace());
}

void checkField(const FieldText& field)
{
    check(isTrimmed(field.text), "a field's text is trimmed", field.text);
    const qsizetype marker = field.text.indexOf(u"[sound:");
    check(marker < 0 || field.text.indexOf(u']', marker) < 0, "a whole sound marker is taken out",
          field.text);
    for (const QString& sound : field.sounds)
        check(!sound.isEmpty() && isTrimmed(sound), "a sound's name is trimmed and not empty", sound);
}

void checkText(const QString& text, const char* what)
{
    check(!text.isEmpty() && text.size() <= DeckLimits::kLongestText, what, text);
    check(isTrimmed(text), "a phrase's text is trimmed", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = QString::fromUtf8(bytes);
    checkField(FieldTexts::fromHtml(text));
    checkField(FieldTexts::fromPlain(text));

    ReadDeck deck;
    try {
        deck = PhraseListReader::read(bytes);
    } catch (const DeckReadError& e) {
        check(*e.what() != '\0', "a refusal gives its reason");
        return 0;
    }
    check(!deck.phrases.empty(), "a deck that reads holds a phrase");
    check(deck.phrases.size() <= static_cast<std::size_t>(DeckLimits::kMostPhrases), "at most kMostPhrases");
    check(deck.skipped >= 0, "a count of skipped notes is never negative");
    for (const ReadPhrase& phrase : deck.phrases) {
        checkText(phrase.first, "a first text is there and bounded");
        checkText(phrase.second, "a second text is there and bounded");
        check(phrase.lesson.size() <= DeckLimits::kLongestText && isTrimmed(phrase.lesson),
              "a lesson's name is bounded and trimmed", phrase.lesson);
    }
    return 0;
}
