#include "app/FullscreenStepAside.h"

#include "platform/Platform.h"

namespace dialoon {

FullscreenStepAside::FullscreenStepAside(Platform& platform, SpeechRequests& character)
    : platform_(platform), character_(character)
{
    // The platform knows whether to step aside only once someone listens.
    platform_.setFullscreenHandler([this](bool active) { fullscreenChanged(active); });
    fullscreenChanged(platform_.fullscreenActive());
}

FullscreenStepAside::~FullscreenStepAside()
{
    platform_.setFullscreenHandler({});
}

void FullscreenStepAside::fullscreenChanged(bool active)
{
    if (active == steppedAside_) return;
    steppedAside_ = active;
    platform_.keepOurWindowsOnTop(!active);
    if (active) {
        // The character's error would only end the program over someone's film: being quiet is enough.
        try {
            character_.stop();
        } catch (const std::exception&) {
        }
    }
}

} // namespace dialoon
