// The user's own decks: where they are kept, which one plays in place of the course, and the place
// reached in each. The deck chosen is stored at once; the places are kept as the course's place is.
#pragma once

#include "app/SettingsStore.h"
#include "engine/Deck.h"

#include <QList>
#include <QString>

namespace dialoon {

struct AppState;
struct StripModel;
class PlayingSource;

class MyPhrases
{
public:
    struct Entry
    {
        QString id;    // the deck's folder name
        QString title; // shown in the list
        int phrases = 0;
        bool swapped = false; // the second field is German
    };

    // decksFolder empty: the user's own, under the data folder ($XDG_DATA_HOME) and the application id.
    MyPhrases(AppState& state, StripModel& strip, SettingsStore& store, PlayingSource& source,
              QString decksFolder = {});

    static QString defaultFolder();
    QString folder() const { return folder_; }

    // The decks kept, by title. A folder that holds no readable deck is not listed.
    QList<Entry> decks() const;
    // The deck that plays, or empty for the course.
    QString playing() const;

    // At start: the deck the store names is to play, at the place kept for it; the source holds its
    // sentences until loadRestored() has read it, after the strip's first frame.
    void restore();
    // Reads the deck restore() found, which then plays; true when there was one to read, playing or not.
    // One that can no longer be read leaves the course playing and says why on standard error.
    bool loadRestored();
    // The deck plays from the next sentence on, from its first phrase in sequence (an empty id: the course
    // again, at its own place). The choice is stored at once. Raises DeckReadError when the deck cannot be
    // read; then what played plays on. Raises StoreWriteError when the choice cannot be stored.
    void play(const QString& id);
    // Removes the deck's folder and its keys; the course plays when it was the one playing.
    void remove(const QString& id);
    // Which field of the deck is German; a deck playing now plays on with the choice.
    void setSwapped(const QString& id, bool swapped);

private:
    void load(const QString& id, int place);
    bool swapped(const QString& id) const;

    AppState& state_;
    StripModel& strip_;
    SettingsStore& store_;
    PlayingSource& source_;
    QString folder_;
    bool restorePending_ = false; // restore() found a deck that loadRestored() has yet to read
};

} // namespace dialoon
