#include "engine/WelcomeWatch.h"

#include "base/BuildInfo.h"
#include "base/CheckedInt16.h"
#include "engine/AppState.h"
#include "engine/StripModel.h"
#include "platform/Platform.h"

namespace dialoon {
namespace {

// How far below the top edge the pointer may be to unroll the strip. The edge is the strip's own top,
// where the window manager keeps it: below a desktop's top bar, not the screen's first row.
constexpr int kTopEdgeRows = 3;

const QString kBanner = QStringLiteral(" Welcome to use %1 V%2.")
                            .arg(QLatin1String(BuildInfo::kTitle), QLatin1String(BuildInfo::kVersion));

} // namespace

void WelcomeWatch::tick()
{
    addChecked(state_.welcomeCountdown, -1);
    const int c = state_.welcomeCountdown;

    strip_.cursorPos = platform_.cursorPos();
    strip_.height = heightFor(c, strip_.cursorPos);

    if (c == 0) {
        state_.welcomeCountdown = 1;
    } else if (c == 1 || c == 2) {
        strip_.label1Text = StripDesign::kBlank;
        if (strip_.image1Enabled) strip_.timerEnabled[Timer5] = true;
    } else if (c >= 3 && c <= 20) {
        strip_.label1Text = kBanner;
    } else if (c >= 21) {
        if (c <= 50) {
            strip_.splashOpen = false;
            strip_.visible = true;
        }
        strip_.label1Text = QString(c - 20, u' ') + kBanner;
    }
}

double WelcomeWatch::heightFor(int c, PixelPoint cursor) const
{
    const bool inside = strip_.windowRect.contains(cursor);
    const bool unrolled = strip_.height == strip_.fullHeight;
    if (c > 0 || state_.autoHide == 0 ||
        (inside && (cursor.y <= strip_.windowRect.top + kTopEdgeRows || unrolled)))
        return strip_.fullHeight;
    return StripDesign::kRolledUpHeight;
}

bool WelcomeWatch::nextTickChangesNothing() const
{
    // Once the welcome is over the countdown stands at 1 between ticks: a tick counts it to 0 and
    // sets it back.
    return state_.welcomeCountdown == 1 && heightFor(0, strip_.cursorPos) == strip_.height;
}

} // namespace dialoon
