#include "app/MyPhrases.h"

#include "app/ExitSave.h"
#include "base/BuildInfo.h"
#include "decks/DeckFile.h"
#include "engine/AppState.h"
#include "engine/DeckSelector.h"
#include "engine/StripModel.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>
#include <iostream>
#include <utility>

namespace dialoon {
namespace {

const QString kPlayingKey = QStringLiteral("Decks/playing");

QString swappedKey(const QString& id)
{
    return QStringLiteral("Decks/%1.swapped").arg(id);
}

// A deck's id as the importer makes it: a plain folder name, never a path.
bool isDeckId(const QString& id)
{
    if (id.isEmpty() || id.size() > 60 || id.startsWith(u'.') || id.startsWith(u'-')) return false;
    return std::all_of(id.begin(), id.end(),
                       [](QChar c) { return (c.unicode() < 128 && c.isLetterOrNumber()) || c == u'-'; });
}

} // namespace

MyPhrases::MyPhrases(AppState& state, StripModel& strip, SettingsStore& store, PlayingSource& source,
                     QString decksFolder)
    : state_(state), strip_(strip), store_(store), source_(source),
      folder_(decksFolder.isEmpty() ? defaultFolder() : std::move(decksFolder))
{
}

QString MyPhrases::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/' +
           QLatin1String(BuildInfo::kAppId) + QStringLiteral("/decks");
}

QList<MyPhrases::Entry> MyPhrases::decks() const
{
    QList<Entry> entries;
    for (const QString& id : QDir(folder_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!isDeckId(id)) continue;
        if (const auto summary = DeckFile::summary(QDir(folder_).filePath(id)))
            entries.append({id, summary->title, summary->phrases, swapped(id)});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return QString::localeAwareCompare(a.title, b.title) < 0;
    });
    return entries;
}

QString MyPhrases::playing() const
{
    return state_.playingDeck;
}

bool MyPhrases::swapped(const QString& id) const
{
    return store_.readSetting(swappedKey(id)) == u"1";
}

void MyPhrases::load(const QString& id, int place)
{
    if (!isDeckId(id)) throw DeckReadError("there is no deck of that name");
    Deck deck = DeckFile::read(QDir(folder_).filePath(id), swapped(id));
    source_.play(std::make_unique<DeckSelector>(state_, strip_, std::move(deck)));
    state_.playingDeck = id;
    state_.deckPlace = place;
}

void MyPhrases::restore()
{
    const QString id = store_.readSetting(kPlayingKey);
    if (id.isEmpty()) return;
    bool ok = false;
    const int place = store_.readSetting(ExitSave::deckPlaceKey(id)).toInt(&ok);
    state_.playingDeck = id;
    state_.deckPlace = ok ? place : 0;
    restorePending_ = true;
    source_.hold();
}

bool MyPhrases::loadRestored()
{
    if (!std::exchange(restorePending_, false)) return false;
    const QString id = state_.playingDeck;
    try {
        load(id, state_.deckPlace);
    } catch (const DeckReadError& error) {
        state_.playingDeck.clear();
        source_.play(nullptr);
        std::cerr << BuildInfo::kTitle << ": the deck \"" << id.toStdString()
                  << "\" cannot be played, the built-in course plays instead (" << error.what() << ")"
                  << std::endl;
    }
    return true;
}

void MyPhrases::play(const QString& id)
{
    restorePending_ = false;
    if (id.isEmpty()) {
        source_.play(nullptr);
        state_.playingDeck.clear();
    } else {
        load(id, 0);
    }
    store_.writeSetting(kPlayingKey, state_.playingDeck);
}

void MyPhrases::remove(const QString& id)
{
    if (!isDeckId(id)) return;
    if (state_.playingDeck == id) play({});
    QDir(QDir(folder_).filePath(id)).removeRecursively();
    store_.writeSettings({{ExitSave::deckPlaceKey(id), {}}, {swappedKey(id), {}}});
}

void MyPhrases::setSwapped(const QString& id, bool swapped)
{
    if (!isDeckId(id)) return;
    store_.writeSetting(swappedKey(id), swapped ? QStringLiteral("1") : QStringLiteral("0"));
    if (state_.playingDeck == id) load(id, state_.deckPlace);
}

} // namespace dialoon
