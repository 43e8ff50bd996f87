// Brings a deck or a phrase list into the user's decks folder as the program's own deck: read into a
// scratch folder beside the decks, then moved into place with one rename, so that a deck is there whole
// or not at all and the original may go afterwards.
#pragma once

#include "decks/ReadDeck.h"

#include <QString>

namespace dialoon {

struct ImportedDeck
{
    QString id;         // the deck's folder name under the decks folder
    QString title;      // its name, shown in the list of decks
    int phrases = 0;    // phrases kept
    int recordings = 0; // recordings kept
    int skipped = 0;    // notes left out (empty, or too long to show)
};

class DeckImporter
{
public:
    // decksFolder is created when missing.
    explicit DeckImporter(QString decksFolder) : decksFolder_(std::move(decksFolder)) {}

    // Reads the file (an Anki package or collection, or a phrase list, told by its content) and keeps it
    // as a new deck. Raises DeckReadError with one line naming the file and the reason; then nothing of
    // it is left in the decks folder.
    ImportedDeck import(const QString& file, const ReadProgress& progress = {}) const;

private:
    QString decksFolder_;
};

} // namespace dialoon
