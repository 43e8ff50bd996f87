// The character's own window: frameless, transparent around the drawing, above other windows, never
// taking the focus, and moved by dragging it with the mouse.
#pragma once

#include "speech/CharacterPose.h"

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QWidget>
#include <vector>

namespace dialoon {

class CharacterArt;
class DesktopPlatform;

class CharacterWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kSide = 128; // device-independent pixels

    CharacterWindow(const CharacterArt& art, const DesktopPlatform& platform, QWidget* parent = nullptr);

    // Draws the pose; nothing is repainted when it looks the same as the one on screen.
    void setPose(const CharacterPose& pose);
    // Poses drawn from the art rather than taken from the frames kept: each pose is drawn once.
    int framesRendered() const { return framesRendered_; }
    // Shapes handed to the window system: only when the outline changes, and where windows blend, only
    // when it grows.
    int masksSet() const { return masksSet_; }

    // After the screens changed: at the default place again if it stood there, else moved just enough to
    // be whole on the screen it stands on (or the primary one) again.
    void keepOnScreen();

signals:
    void moved();
    // Pressed and let go with the first button without being dragged away.
    void clicked();
    // The other button, or the context-menu key while the window has the focus, at this place.
    void menuRequested(const QPoint& globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // A pose drawn once, with the outline the window takes for it.
    struct Frame
    {
        CharacterPose pose;
        QImage picture;
        QRegion shape;
    };
    // The frame for a pose: one kept from before, or drawn now.
    const Frame& frameFor(const CharacterPose& pose);
    // Near the lower right corner of the primary screen's area free of panels.
    void placeAtDefault();

    const CharacterArt& art_;
    const DesktopPlatform& platform_;
    CharacterPose pose_;
    QImage picture_;
    bool blends_ = false;       // a compositing manager ran when the window was last shown
    std::vector<Frame> frames_; // breathing frames kept, the most recently used first
    std::vector<Frame> moving_; // frames of the beak, lids and wing kept, the most recently used first
    int framesRendered_ = 0;
    int masksSet_ = 0;
    bool dragging_ = false;
    bool draggedAway_ = false; // further than a click's jitter since the press
    QPoint pressedAt_;
    QPoint dragOffset_;
    QPoint home_;            // where it stands: its default place, or where the user last put it
    bool atDefault_ = false; // home_ is the default place, not one the user chose
};

} // namespace dialoon
