// What a reader makes of a deck or a list: its phrases in the deck's order, each with the plain text of
// its first two fields, the recordings those fields name, and the lesson it belongs to.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>
#include <vector>

namespace dialoon {

// A file the readers refuse; the text says why, in words for the user ("the zip archive is damaged").
class DeckReadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct ReadPhrase
{
    QString first;       // plain text of the first field (German unless the deck is swapped)
    QString second;      // plain text of the second field
    QString firstSound;  // file name of the first field's recording in the media folder, or empty
    QString secondSound; // the same for the second field
    QString lesson;      // the lesson's name; empty: the deck is cut into lessons by position
};

struct ReadDeck
{
    QString title;                   // the deck's own name, or empty (the file's name is used)
    std::vector<ReadPhrase> phrases; // in the deck's order, each with both fields non-empty
    int skipped = 0;                 // notes left out: an empty field, or text too long to show
};

// Bounds on what an untrusted file may make the readers do.
namespace DeckLimits {
inline constexpr qint64 kLargestFile = 2LL << 30;     // bytes of a deck or list file
inline constexpr qint64 kLargestEntry = 512LL << 20;  // bytes of one unpacked member of a package
inline constexpr qint64 kLargestUnpacked = 2LL << 30; // bytes unpacked from one package in all
inline constexpr qint64 kLargestRatio = 200;          // unpacked size per packed byte of a member
inline constexpr int kMostEntries = 200000;           // members of a package
inline constexpr int kMostPhrases = 100000;           // phrases of one deck
inline constexpr int kLongestText = 1000;             // characters of a phrase's plain text
} // namespace DeckLimits

// Reports how far a reader has got: done of total steps (total may grow as it learns more).
using ReadProgress = std::function<void(qint64 done, qint64 total)>;

} // namespace dialoon
