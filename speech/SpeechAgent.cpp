// The speech agent control, Agent1 of the strip: the entry to the loaded characters.
#include "speech/SpeechAgent.h"

namespace dialoon {

SpeechAgent::SpeechAgent(DesktopPlatform& platform, HandlerEdge edge, QObject* parent)
    : QObject(parent), characters_(platform, std::move(edge))
{
    setObjectName(QStringLiteral("Agent1"));
}

SpeechAgent::~SpeechAgent() = default;

} // namespace dialoon
