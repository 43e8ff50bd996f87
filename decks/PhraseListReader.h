// Reads a phrase list: comma-, semicolon- or tab-separated values (RFC 4180 quoting), or Anki's "Notes in
// Plain Text" export with its #separator:, #html:, #columns: and #deck column: header lines. The first
// column is the first field, the second the second; a third column, or the deck column, names the lesson.
// When the header names columns (#columns:, #deck column: and the like), the two fields are the first two
// columns that are not the deck, note type, GUID or tags, and only the deck column names the lesson.
// Without #html:, the fields are read as HTML when the list shows a tag or an entity Anki's editor writes
// (<br>, </, &nbsp;, &#...), else as plain text. Without #separator:, the delimiter is the one of tab,
// semicolon and comma that splits the first lines best. A first row naming its columns ("Deutsch;
// Englisch", "Front,Back") is dropped.
#pragma once

#include "decks/ReadDeck.h"

#include <QByteArray>

namespace dialoon::PhraseListReader {

// The file's bytes in UTF-8 (with or without a byte-order mark), UTF-16 with a byte-order mark, or,
// when they are not valid UTF-8, Windows-1252 (Latin-1's superset). Raises DeckReadError when nothing
// in it reads as a list of at least two columns.
ReadDeck read(const QByteArray& bytes);

} // namespace dialoon::PhraseListReader
