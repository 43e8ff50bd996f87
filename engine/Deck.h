// A deck of the user's own, as it plays: its phrases in order, each in one of its lessons, with the
// recording of its German text where it has one.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace dialoon {

struct DeckPhrase
{
    QString german;
    QString english;
    QString recording; // file name of the German text's recording in the deck's media folder, or empty
    int lesson = 0;    // index into Deck::lessons
};

struct Deck
{
    QString title;
    QString mediaFolder;             // where the recordings are, ending in a slash
    QStringList lessons;             // names, in order
    std::vector<DeckPhrase> phrases; // grouped by lesson, in the deck's order
};

} // namespace dialoon
