// The speech agent control, Agent1 of the strip: the entry to the loaded characters.
#pragma once

#include "speech/Character.h"

#include <QObject>
#include <QString>
#include <map>

namespace dialoon {

// The characters an agent has loaded, by id. Only Peedy, who is built into the program, can be loaded.
class CharacterCollection
{
public:
    static inline const QString kPeedy = QStringLiteral("Peedy");

    // The platform outlives the collection; the characters' handlers run behind the edge.
    CharacterCollection(DesktopPlatform& platform, HandlerEdge edge)
        : platform_(platform), edge_(std::move(edge))
    {
    }

    // Loads the character; loading it again changes nothing. Peedy's data is built in, so loadKey
    // must be empty. Throws SpeechError for any id but "Peedy" and for a non-empty load key.
    void Load(const QString& id, const QString& loadKey = {});

    // Throws SpeechError when no character with this id has been loaded.
    Character& Item(const QString& id);

private:
    DesktopPlatform& platform_;
    HandlerEdge edge_;
    std::map<QString, Character> characters_;
};

class SpeechAgent : public QObject
{
    Q_OBJECT

public:
    explicit SpeechAgent(DesktopPlatform& platform, HandlerEdge edge = {}, QObject* parent = nullptr)
        : QObject(parent), characters_(platform, std::move(edge))
    {
        setObjectName(QStringLiteral("Agent1"));
    }

    CharacterCollection& Characters() { return characters_; }

private:
    CharacterCollection characters_;
};

} // namespace dialoon
