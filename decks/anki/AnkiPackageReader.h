// Reads an Anki package (.apkg) or collection (.colpkg): a zip holding the collection as SQLite
// (collection.anki2 or collection.anki21; collection.anki21b compressed with zstd) and the media map
// (JSON, or zstd-compressed in the current format), the media themselves stored by number.
#pragma once

#include "decks/ReadDeck.h"

#include <QString>

namespace dialoon::AnkiPackageReader {

// Reads the package at path. The recordings the phrases name are unpacked into mediaFolder (which
// exists, is empty and is written nowhere else), each under a safe name of its own, which is the name
// the phrase carries. A scratch file the reader needs goes into scratchFolder. Subdecks become lessons;
// without subdecks the phrases' lessons are left empty. Raises DeckReadError for a file that is not a
// package, a damaged or oversized one (DeckLimits), or a collection without a phrase.
ReadDeck read(const QString& path, const QString& mediaFolder, const QString& scratchFolder,
              const ReadProgress& progress = {});

} // namespace dialoon::AnkiPackageReader
