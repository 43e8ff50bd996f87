// The character's own window: frameless, transparent around the drawing, above other windows, never
// taking the focus, and moved by dragging it with the mouse.
#include "speech/CharacterWindow.h"

#include "speech/CharacterArt.h"
#include "platform/DesktopPlatform.h"
#include "speech/ShapeMask.h"

#include <QBitmap>
#include <QTimer>
#include <QMouseEvent>
#include <QPainter>

namespace dialoon {

namespace {

// Gap between the character and the corner of the free screen area.
constexpr int kCornerGap = 24;

} // namespace

CharacterWindow::CharacterWindow(const CharacterArt& art, const DesktopPlatform& platform, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint),
      art_(art), platform_(platform)
{
    setObjectName(QStringLiteral("PeedyWindow"));
    setWindowTitle(QStringLiteral("Peedy"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(kSide, kSide);
    setCursor(Qt::OpenHandCursor);
    pose_.scale = 0.0;
    platform_.keepOffTaskbar(*this);
}

void CharacterWindow::setPose(const CharacterPose& pose)
{
    const CharacterPose shown = pose.quantized();
    if (drawn_ && shown == pose_)
        return;
    pose_ = shown;
    drawn_ = true;
    ++framesDrawn_;
    picture_ = art_.render(size(), devicePixelRatioF(), pose_);
    // The mask is set whether or not a compositing manager runs: with one, the soft edge inside the
    // mask still blends; without one, the mask is what keeps the square around the bird from showing.
    // Asking the window system which case applies would need X11 calls here for no visible gain.
    QImage shape = opaqueShape(picture_);
    if (shape != shape_) {
        shape_ = std::move(shape);
        setMask(QBitmap::fromImage(shape_, Qt::MonoOnly | Qt::ThresholdDither));
    }
    update();
}

void CharacterWindow::placeAtDefault()
{
    const QRect free = platform_.availableArea(std::nullopt);
    home_ = QPoint(free.right() + 1 - kSide - kCornerGap, free.bottom() + 1 - kSide - kCornerGap);
    hasHome_ = true;
    move(home_);
}

void CharacterWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Some window managers place a newly shown window by their own rules; the character goes back to
    // where it stands once the window manager is done with it.
    const auto returnHome = [this] {
        if (hasHome_ && !dragging_ && pos() != home_)
            move(home_);
    };
    QTimer::singleShot(0, this, returnHome);
    QTimer::singleShot(300, this, returnHome);
}

void CharacterWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(QPoint(0, 0), picture_);
}

void CharacterWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - pos();
    setCursor(Qt::ClosedHandCursor);
}

void CharacterWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return QWidget::mouseMoveEvent(event);
    move(event->globalPosition().toPoint() - dragOffset_);
}

void CharacterWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !dragging_)
        return QWidget::mouseReleaseEvent(event);
    dragging_ = false;
    home_ = pos();
    hasHome_ = true;
    setCursor(Qt::OpenHandCursor);
}

void CharacterWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    emit moved();
}

} // namespace dialoon
