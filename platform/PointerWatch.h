// Tells whether the mouse pointer may have moved since the last look, so that the strip's 60 ms watch
// asks the window system where the pointer is only when the answer can have changed. Asking costs a
// round trip to the X server that wakes two threads; on an idle desktop the answer is always the same.
#pragma once

#include <QObject>
#include <QPoint>

#include <optional>

namespace dialoon {

class PointerWatch : public QObject
{
public:
    // After this many looks without news the pointer is looked at anyway: a program may warp the pointer
    // over another program's window, which neither a device nor the root window reports. The question
    // goes out at that look and its answer is read at the next, so that nobody waits for it; only an
    // answer that differs from the last one asked for counts as a movement.
    static constexpr int kLooksWithoutNews = 16;

    PointerWatch();
    ~PointerWatch() override;
    PointerWatch(const PointerWatch&) = delete;
    PointerWatch& operator=(const PointerWatch&) = delete;

    // True when the pointer may have moved since the previous call (always true for the first call, and
    // always where the window system tells of no movements). Never blocks: it only reads what the window
    // system has already sent.
    bool movedSinceLastLook();

    // Whether pointing devices' movements are being heard of (X11 with XInput 2).
    bool hearsDevices() const { return connection_ != nullptr; }

    // Where the pointer is on the X screen, in the server's pixels, asked on the watch's own connection:
    // only the calling thread waits for the answer, no thread of Qt's is woken. Empty without a
    // connection or when the pointer is on another screen.
    std::optional<QPoint> askPointer();

protected:
    // Any pointer event on a window of this program counts as a movement.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool devicesMoved();
    void askLater();
    // Whether the question asked at an earlier look was answered with a place other than the last one
    // asked for; nullopt while the answer has not come.
    std::optional<bool> laterAnswerDiffers();
    void forgetLaterQuestion();

    void* connection_ = nullptr; // a connection of its own, read only by movedSinceLastLook()
    bool moved_ = true;
    int looksWithoutNews_ = 0;
    std::optional<unsigned int> laterQuestion_; // the sequence number of the question asked at a look
    std::optional<QPoint> lastAnswer_;          // where askPointer() last found the pointer
};

} // namespace dialoon
