// The entry of the module dialoon_anki: the Anki package reader behind a plain C name, which the
// program finds when it opens the module.
#include "decks/AnkiPackageModule.h"
#include "decks/anki/AnkiPackageReader.h"

#include <new>

extern "C" __attribute__((visibility("default"))) void
dialoon_read_anki_package(const QString& path, const QString& mediaFolder, const QString& scratchFolder,
                          const dialoon::ReadProgress& progress, dialoon::ReadDeck& deck, std::string& error)
{
    // The entry's type is the one the program calls it by.
    [[maybe_unused]] const dialoon::AnkiPackageModule::Entry checked = &dialoon_read_anki_package;
    try {
        deck = dialoon::AnkiPackageReader::read(path, mediaFolder, scratchFolder, progress);
    } catch (const dialoon::DeckReadError& refused) {
        error = refused.what();
    } catch (const std::bad_alloc&) {
        error = "it needs more memory than there is";
    } catch (const std::exception& failed) {
        error = failed.what();
    }
    if (error.empty() && deck.phrases.empty()) error = "it holds no phrases";
}
