// The characters an agent has loaded, by id. Only Peedy, who is built into the program, can be loaded.
#pragma once

#include "speech/HandlerEdge.h"

#include <QString>
#include <map>
#include <memory>

namespace dialoon {

class Character;
class DesktopPlatform;

class CharacterCollection
{
public:
    static inline const QString kPeedy = QStringLiteral("Peedy");

    // The characters' handlers run behind the edge.
    explicit CharacterCollection(DesktopPlatform& platform, HandlerEdge edge = {});
    ~CharacterCollection();
    CharacterCollection(const CharacterCollection&) = delete;
    CharacterCollection& operator=(const CharacterCollection&) = delete;

    // Loads the character; loading it again changes nothing. loadKey says where a character's data
    // would come from: Peedy's is built in, so only an empty key is accepted.
    // Throws SpeechError for any id but "Peedy" and for a non-empty load key.
    void Load(const QString& id, const QString& loadKey = {});

    // Throws SpeechError when no character with this id has been loaded.
    Character& Item(const QString& id);

private:
    DesktopPlatform& platform_;
    HandlerEdge edge_;
    std::map<QString, std::unique_ptr<Character>> characters_;
};

} // namespace dialoon
