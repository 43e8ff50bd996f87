// The Anki package reader as the program reaches it: in a module of its own (dialoon_anki), opened when
// the first package is imported. The zip, SQLite and zstd libraries it needs, with the cryptography
// library libzip brings along, would otherwise be loaded at every start, some 2.7 MiB and a few
// milliseconds that a user who never opens a deck would pay for nothing.
#pragma once

#include "decks/ReadDeck.h"

#include <QByteArray>
#include <QString>

#include <string>

namespace dialoon::AnkiPackageModule {

// Whether the bytes begin as a zip archive does.
inline bool looksLikePackage(const QByteArray& firstBytes)
{
    return firstBytes.startsWith("PK\x03\x04");
}

// As AnkiPackageReader::read, through the module. Raises DeckReadError when the module cannot be opened.
ReadDeck read(const QString& path, const QString& mediaFolder, const QString& scratchFolder,
              const ReadProgress& progress = {});

// The module's one entry. No exception leaves it: a refusal comes back as the text in *error.
using Entry = void (*)(const QString& path, const QString& mediaFolder, const QString& scratchFolder,
                       const ReadProgress& progress, ReadDeck& deck, std::string& error);
inline constexpr char kEntryName[] = "dialoon_read_anki_package";

} // namespace dialoon::AnkiPackageModule
