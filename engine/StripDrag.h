// Moving the strip by its captions: it follows the sampled cursor while a button is held, and on release
// is kept on the screen and snapped back to the top edge at full height.
#pragma once

namespace dialoon {

struct StripModel;
class Platform;

class StripDrag
{
public:
    StripDrag(StripModel& strip, Platform& platform) : strip_(strip), platform_(platform) {}

    void press();
    void move();
    void release();

    // Keeps the strip's left edge where the strip can be reached: not left of the screen, and not so far
    // right that it leaves the screen.
    static double clampLeft(double left, double screenWidthTwips);

private:
    StripModel& strip_;
    Platform& platform_;
};

} // namespace dialoon
