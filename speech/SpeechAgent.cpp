// The characters an agent has loaded.
#include "speech/SpeechAgent.h"

#include "base/Errors.h"

namespace dialoon {

void CharacterCollection::Load(const QString& id, const QString& loadKey)
{
    if (id != kPeedy)
        throw SpeechError("No character \"" + id.toStdString() + "\" can be loaded (only Peedy)");
    if (!loadKey.isEmpty())
        throw SpeechError("Characters load from the program itself, not from \"" + loadKey.toStdString() +
                          "\"");
    characters_.try_emplace(id, id, platform_, edge_);
}

Character& CharacterCollection::Item(const QString& id)
{
    const auto found = characters_.find(id);
    if (found == characters_.end())
        throw SpeechError("The character \"" + id.toStdString() + "\" is not loaded");
    return found->second;
}

} // namespace dialoon
