// What the playback cycle asks of the speaking character. Both requests are queued by the character
// and return at once; either may raise an error, which the cycle ignores.
#pragma once

#include <QString>

namespace dialoon {

class SpeechRequests
{
public:
    virtual ~SpeechRequests() = default;
    virtual void speak(const QString& text) = 0;
    // Plays a recording of the text in place of the voice; the text is shown meanwhile.
    virtual void playRecording(const QString& file, const QString& text) = 0;
    virtual void play(const QString& animation) = 0;
    // Silences what is being said and drops what waits.
    virtual void stop() = 0;
};

} // namespace dialoon
