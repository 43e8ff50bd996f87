// The speech agent control, Agent1 of the strip: the entry to the loaded characters.
#pragma once

#include "speech/CharacterCollection.h"
#include "speech/HandlerEdge.h"

#include <QObject>

namespace dialoon {
class DesktopPlatform;
}

namespace dialoon {

class SpeechAgent : public QObject
{
    Q_OBJECT

public:
    // The characters' windows ask the desktop through the platform, which outlives the agent. The
    // characters' handlers run behind the edge.
    explicit SpeechAgent(DesktopPlatform& platform, HandlerEdge edge = {}, QObject* parent = nullptr);
    ~SpeechAgent() override;

    CharacterCollection& Characters() { return characters_; }

private:
    CharacterCollection characters_;
};

} // namespace dialoon
