// Tells whether the mouse pointer may have moved since the last look, so that the strip's 60 ms watch
// asks the window system where the pointer is only when the answer can have changed. Asking costs a
// round trip to the X server that wakes two threads; on an idle desktop the answer is always the same.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPoint>
#include <QRegion>

#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;
struct xcb_connection_t;

namespace dialoon {

class PointerWatch : public QObject, public QAbstractNativeEventFilter
{
public:
    // After this many looks without news the pointer is looked at anyway: a program may warp the pointer
    // over another program's window, which neither a device nor the root window reports. The question
    // goes out at that look and its answer is read at the next, so that nobody waits for it; only an
    // answer that differs from the last one asked for counts as a movement.
    static constexpr int kLooksWithoutNews = 16;
    static constexpr int kLooksBeforeRest = 8;

    PointerWatch();
    ~PointerWatch() override;

    // True when the pointer may have moved since the previous call (always true for the first call, and
    // always where the window system tells of no movements). Never blocks: it only reads what the window
    // system has already sent.
    bool movedSinceLastLook();

    // True while the pointer rests: movements are heard of, and none came for kLooksBeforeRest looks.
    // From then on until the next look the window system is listened to, and the first movement it
    // tells of (or an answer to the look anyway placing the pointer elsewhere, or a pointer event on one
    // of the program's windows) calls the handler at once, so that nobody needs to look meanwhile.
    bool resting();
    void setMovementHandler(std::function<void()> handler) { onMovement_ = std::move(handler); }

    // Where the pointer is on the X screen, in the server's pixels, asked on the watch's own connection:
    // only the calling thread waits for the answer, no thread of Qt's is woken. Empty without a
    // connection or when the pointer is on another screen.
    std::optional<QPoint> askPointer();

    // Where the pointer is, given where the window system places it. Through XWayland the X server keeps
    // placing a pointer that left our windows for a Wayland window or the desktop where ours last saw it:
    // such a place, unchanged since the first look after it left, is not believed (the pointer is then
    // nowhere near our windows). On plain X11 the place changes or lies outside, and is believed.
    QPoint believed(QPoint asked);
    // The same for given sightings. left is where the program's windows stood when the pointer left them
    // for none of ours (empty while it is over one of ours, or nothing was left since); firstAfter the
    // first place asked for after that, if any.
    static QPoint believed(QPoint asked, const QRegion& left, std::optional<QPoint> firstAfter);
    // A place outside every window of the program.
    static constexpr QPoint kNowhere{-(1 << 20), -(1 << 20)};

protected:
    // Any pointer event on a window of this program counts as a movement.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The pointer entering and leaving the program's windows, as the X server tells them.
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool devicesMoved();
    // A movement heard other than by looking; the handler hears of it when the pointer rested and tell.
    void noteMovement(bool tell);
    // Whether the question asked at an earlier look was answered, with a place other than the last one
    // asked for.
    bool laterAnswerDiffers();

    xcb_connection_t* connection_ = nullptr; // a connection of its own
    bool moved_ = true;
    int looksWithoutNews_ = 0;
    int quietLooks_ = 0; // looks since the last movement
    bool resting_ = false;
    std::unique_ptr<QSocketNotifier> listener_;
    std::function<void()> onMovement_;
    std::optional<unsigned int> laterQuestion_; // the sequence number of the question asked at a look
    std::optional<QPoint> lastAnswer_;          // where askPointer() last found the pointer
    // What believed() weighs: left and firstAfter.
    QRegion left_;
    std::optional<QPoint> firstAfterLeaving_;
    int inputOpcode_ = -1; // XInput's, on the toolkit's connection
};

} // namespace dialoon
