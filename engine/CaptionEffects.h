// The strip's movement: the German sentence sliding in, the English rising into view, and the blinking
// line of the rolled-up strip. Each effect stops its own timer when it is done.
#pragma once

#include <QString>

namespace dialoon {

struct StripModel;

class CaptionEffects
{
public:
    explicit CaptionEffects(StripModel& strip) : strip_(strip) {}

    void slideInTick();  // Timer4, 80 ms
    void slideUpTick();  // Timer3, 50 ms
    void barTick();      // Timer2, 1500 ms

    // What the English caption will be after the rise's next step.
    struct Rise
    {
        float top = 0.0f; // twips
        QString text;
        bool ends = false; // the step that stops the rise
    };
    Rise nextRise() const;
    // Whether the bar's next tick leaves it as it is: not drawn, with the strip unrolled or dragged.
    bool nextBarTickChangesNothing() const;

private:
    int barToDraw() const; // the bar's colour at a tick now, -1 for none

    StripModel& strip_;
};

} // namespace dialoon
