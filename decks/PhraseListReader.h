// Reads a phrase list: comma-, semicolon- or tab-separated values (RFC 4180 quoting), or Anki's "Notes in
// Plain Text" export with its #separator:, #html:, #columns: and #deck column: header lines. The first
// column is the first field, the second the second; a third column, or the deck column, names the lesson.
#pragma once

#include "decks/ReadDeck.h"

#include <QByteArray>

namespace dialoon::PhraseListReader {

// The file's bytes in UTF-8 (with or without a byte-order mark), UTF-16 with a byte-order mark, or,
// when they are not valid UTF-8, Windows-1252 (Latin-1's superset). Raises DeckReadError when nothing
// in it reads as a list of at least two columns.
ReadDeck read(const QByteArray& bytes);

} // namespace dialoon::PhraseListReader
