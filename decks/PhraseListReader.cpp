#include "decks/PhraseListReader.h"

namespace dialoon::PhraseListReader {

ReadDeck read(const QByteArray&)
{
    throw DeckReadError("phrase lists cannot be read yet");
}

} // namespace dialoon::PhraseListReader
