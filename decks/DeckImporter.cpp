#include "decks/DeckImporter.h"

namespace dialoon {

ImportedDeck DeckImporter::import(const QString&, const ReadProgress&) const
{
    throw DeckReadError("not yet");
}

} // namespace dialoon
