// The character's window: its frames, its shape and its place on the desktop.
#include "speech/CharacterWindow.h"

#include "platform/DesktopPlatform.h"
#include "speech/CharacterArt.h"
#include "speech/ShapeMask.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <algorithm>

namespace dialoon {

namespace {

// Gap between the character and the corner of the free screen area.
constexpr int kCornerGap = 24;
// Frames kept for reuse, 64 KiB each at 128 x 128: the poses of the bird standing and breathing, which
// come back every breath all day (some 16 of them), and apart from them the poses of its moving beak,
// lids and wing. The bird holds its breath while it speaks, so a sentence's beak takes some 20 poses
// that come back word after word; a wave or a blink sweeps through poses once and passes.
constexpr std::size_t kFramesKept = 24;
constexpr std::size_t kMovingFramesKept = 48;

// Where two frames of the same size differ, in device-independent pixels; empty where they are alike.
QRect changedArea(const QImage& before, const QImage& after)
{
    if (before.size() != after.size() || before.format() != after.format() ||
        before.devicePixelRatio() != after.devicePixelRatio())
        return QRect(QPoint(0, 0), after.deviceIndependentSize().toSize());
    int top = -1;
    int bottom = -1;
    int left = after.width();
    int right = -1;
    for (int y = 0; y < after.height(); ++y) {
        const auto* a = reinterpret_cast<const quint32*>(before.constScanLine(y));
        const auto* b = reinterpret_cast<const quint32*>(after.constScanLine(y));
        if (std::equal(a, a + after.width(), b)) continue;
        if (top < 0) top = y;
        bottom = y;
        int x = 0;
        while (a[x] == b[x])
            ++x;
        left = std::min(left, x);
        x = after.width() - 1;
        while (a[x] == b[x])
            --x;
        right = std::max(right, x);
    }
    if (top < 0) return {};
    const qreal ratio = after.devicePixelRatio();
    return QRectF(left / ratio, top / ratio, (right + 1 - left) / ratio, (bottom + 1 - top) / ratio)
        .toAlignedRect();
}

// Peedy himself, inside his window: a button that says the sentence again, as a click on him does. He
// has no widget of his own, so the window's interface makes him and the bus keeps him while it stands.
class PeedyButtonAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    explicit PeedyButtonAccessible(CharacterWindow* window) : window_(window) {}

    bool isValid() const override { return !window_.isNull(); }
    // None: the window's object belongs to the window's interface.
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return window_ ? window_->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(window_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && window_ ? window_->accessibleName() : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override { return window_ ? window_->frameGeometry() : QRect(); }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !window_ || !window_->isVisible();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    // The bus names the action by its kind (press) and tells what it does by its description.
    QString localizedActionName(const QString& name) const override
    {
        return localizedActionDescription(name);
    }
    QString localizedActionDescription(const QString& name) const override
    {
        return name == pressAction() ? QStringLiteral("Say it again") : QString();
    }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && window_) emit window_->clicked();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<CharacterWindow> window_;
};

// Peedy's window, with Peedy in it.
class PeedyWindowAccessible : public QAccessibleWidget
{
public:
    explicit PeedyWindowAccessible(CharacterWindow* window)
        : QAccessibleWidget(window, QAccessible::Window), button_(new PeedyButtonAccessible(window))
    {
        // Gone with the window, not with this interface: the bus's own cleanup at exit deletes both.
        const QAccessible::Id id = QAccessible::registerAccessibleInterface(button_);
        QObject::connect(window, &QObject::destroyed, [id] { QAccessible::deleteAccessibleInterface(id); });
    }

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override { return index == 0 ? button_ : nullptr; }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        return rect().contains(x, y) ? button_ : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override { return child == button_ ? 0 : -1; }

private:
    PeedyButtonAccessible* button_;
};

QAccessibleInterface* peedyAccessible(const QString& className, QObject* object)
{
    auto* window = qobject_cast<CharacterWindow*>(object);
    if (window && className == QLatin1String(CharacterWindow::staticMetaObject.className()))
        return new PeedyWindowAccessible(window);
    return nullptr;
}

} // namespace

CharacterWindow::CharacterWindow(const CharacterArt& art, const DesktopPlatform& platform, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint),
      art_(art), platform_(platform)
{
    static const bool accessible = [] {
        QAccessible::installFactory(peedyAccessible);
        return true;
    }();
    Q_UNUSED(accessible);
    setObjectName(QStringLiteral("PeedyWindow"));
    setWindowTitle(QStringLiteral("Peedy"));
    setAccessibleName(QStringLiteral("Peedy"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(kSide, kSide);
    setCursor(Qt::OpenHandCursor);
    platform_.keepOffTaskbar(*this);
    platform_.keepShownWhileInactive(*this);
    placeAtDefault();
}

void CharacterWindow::setPose(const CharacterPose& pose)
{
    const CharacterPose shown = pose.quantized();
    if (!picture_.isNull() && shown == pose_) return;
    // Asked again as each wave begins, once a sentence: a compositing manager may stop or start at any
    // time, and the outline taken in while one ran would otherwise stay.
    if (isVisible() && pose_.wingAngle == 0.0 && shown.wingAngle != 0.0) blends_ = platform_.windowsBlend();
    pose_ = shown;
    const Frame& frame = frameFor(pose_);
    // Only what changed goes to the screen: a blink or the beak is a small part of the square.
    const QRect changed = picture_.isNull() ? rect() : changedArea(picture_, frame.picture);
    picture_ = frame.picture;
    // Without a compositing manager the outline is what keeps the square around the bird from showing,
    // so it follows the picture. With one, the transparency around the bird shows the desktop whatever
    // the outline, and the outline only keeps the mouse from catching on the empty corners: it then
    // takes in every pose's and stops changing once the bird has waved, for every new outline makes
    // the window system expose the window again.
    const QRegion shape = blends_ ? mask().united(frame.shape) : frame.shape;
    if (shape != mask()) {
        ++masksSet_;
        setMask(shape);
    }
    // Drawn at once: the frame is this wake-up's, and asking for a paint later would wake the event
    // loop once more to run it.
    if (!changed.isEmpty()) repaint(changed);
}

const CharacterWindow::Frame& CharacterWindow::frameFor(const CharacterPose& pose)
{
    const qreal ratio = devicePixelRatioF();
    const bool breathing =
        pose.scale == 1.0 && pose.beakOpen == 0.0 && pose.lidClosure == 0.0 && pose.wingAngle == 0.0;
    std::vector<Frame>& kept = breathing ? frames_ : moving_;
    const auto found = std::find_if(kept.begin(), kept.end(), [&](const Frame& frame) {
        return frame.pose == pose && frame.picture.devicePixelRatio() == ratio &&
               frame.picture.size() == size() * ratio;
    });
    if (found != kept.end()) {
        std::rotate(kept.begin(), found, found + 1);
        return kept.front();
    }
    ++framesRendered_;
    QImage picture = art_.render(size(), ratio, pose);
    QRegion shape(shapeMaskFromAlpha(picture));
    if (kept.size() >= (breathing ? kFramesKept : kMovingFramesKept)) kept.pop_back();
    kept.insert(kept.begin(), Frame{pose, std::move(picture), std::move(shape)});
    return kept.front();
}

void CharacterWindow::placeAtDefault()
{
    const QRect free = platform_.availableArea(std::nullopt);
    home_ = QPoint(free.right() + 1 - kSide - kCornerGap, free.bottom() + 1 - kSide - kCornerGap);
    atDefault_ = true;
    move(home_);
}

void CharacterWindow::keepOnScreen()
{
    if (dragging_) return;
    if (atDefault_) return placeAtDefault();
    const QRect free = platform_.availableArea(home_ + QPoint(kSide / 2, kSide / 2));
    home_ = keptInside(QRect(home_, QSize(kSide, kSide)), free);
    move(home_);
}

void CharacterWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    blends_ = platform_.windowsBlend();
    // Some window managers place a newly shown window by their own rules; the character goes back to
    // where it stands once the window manager is done with it.
    const auto returnHome = [this] {
        if (!dragging_ && pos() != home_) move(home_);
    };
    QTimer::singleShot(0, this, returnHome);
    QTimer::singleShot(300, this, returnHome);
}

void CharacterWindow::paintEvent(QPaintEvent* event)
{
    // Shown only with a pose, the window is covered by its frame, transparency included: copied as it is.
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect area = event->rect();
    const qreal ratio = picture_.devicePixelRatio();
    for (int top = area.top(); top <= area.bottom(); top += CharacterArt::kBandRows) {
        const QRect band(area.left(), top, area.width(),
                         std::min(CharacterArt::kBandRows, area.bottom() + 1 - top));
        painter.drawImage(band, picture_,
                          QRectF(QPointF(band.topLeft()) * ratio, QSizeF(band.size()) * ratio));
    }
}

void CharacterWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    dragging_ = true;
    draggedAway_ = false;
    pressedAt_ = event->globalPosition().toPoint();
    dragOffset_ = pressedAt_ - pos();
    setCursor(Qt::ClosedHandCursor);
}

void CharacterWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_) return QWidget::mouseMoveEvent(event);
    const QPoint at = event->globalPosition().toPoint();
    // A hand that shakes a little while clicking does not move the character.
    draggedAway_ = draggedAway_ || (at - pressedAt_).manhattanLength() >= QApplication::startDragDistance();
    if (draggedAway_) move(at - dragOffset_);
}

void CharacterWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !dragging_) return QWidget::mouseReleaseEvent(event);
    dragging_ = false;
    setCursor(Qt::OpenHandCursor);
    if (!draggedAway_) return emit clicked();
    home_ = pos();
    atDefault_ = false;
}

void CharacterWindow::contextMenuEvent(QContextMenuEvent* event)
{
    emit menuRequested(event->globalPos());
}

void CharacterWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    emit moved();
}

} // namespace dialoon
