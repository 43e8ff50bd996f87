// The program's own deck file, phrases.txt in the deck's folder beside its media/ folder of recordings:
// UTF-8 lines of tab-separated words, first "Dialoon deck 1", then "title", "lesson" and "phrase" lines.
// It is written by the importer only, but read as untrusted text: a hand-edited file is refused whole.
#pragma once

#include "decks/ReadDeck.h"
#include "engine/Deck.h"

#include <QString>

#include <optional>

namespace dialoon::DeckFile {

inline const QString kFileName = QStringLiteral("phrases.txt");
inline const QString kMediaFolder = QStringLiteral("media");
inline constexpr int kLessonSize = 40; // phrases of a lesson when the deck names none

// The deck's text: lessons named by the reader in the order they first come (a deck without names cut
// into lessons of kLessonSize in its order).
QByteArray write(const ReadDeck& deck, const QString& title);

// The deck in folder. With swapped, the second field is German and the first English. Raises
// DeckReadError when the file cannot be read or is not a deck file.
Deck read(const QString& folder, bool swapped = false);

// The deck's title and number of phrases, read from its file; nothing on failure.
struct Summary
{
    QString title;
    int phrases = 0;
};
std::optional<Summary> summary(const QString& folder);

} // namespace dialoon::DeckFile
