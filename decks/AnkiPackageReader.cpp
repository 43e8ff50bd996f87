#include "decks/AnkiPackageReader.h"

namespace dialoon::AnkiPackageReader {

bool looksLikePackage(const QByteArray& firstBytes)
{
    return firstBytes.startsWith("PK\x03\x04");
}

ReadDeck read(const QString&, const QString&, const QString&, const ReadProgress&)
{
    throw DeckReadError("Anki packages cannot be read yet");
}

} // namespace dialoon::AnkiPackageReader
