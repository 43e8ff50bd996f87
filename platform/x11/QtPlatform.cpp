#include "platform/x11/QtPlatform.h"

#include "base/BuildInfo.h"
#include "platform/posix/SingleInstance.h"
#include "platform/x11/FilmWatch.h"
#include "platform/x11/FullscreenWatch.h"
#include "platform/x11/PointerWatch.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QPalette>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace dialoon {
namespace {

QScreen* screenOf(const QWidget* w)
{
    return w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
}

constexpr int kScreensSettleMs = 250;

} // namespace

QtPlatform::QtPlatform() : instance_(std::make_unique<SingleInstance>(SingleInstance::defaultKey()))
{
    QObject::connect(instance_.get(), &SingleInstance::activationRequested, instance_.get(),
                     [this](const QString& file) {
                         if (activationHandler_) activationHandler_(file);
                     });
}

// The watches are complete here.
QtPlatform::~QtPlatform() = default;

double QtPlatform::topEdgeTwips() const
{
    const QScreen* s = screenOf(strip_);
    return (s ? s->availableGeometry().top() : 0) * kTwipsPerPixel;
}

PixelPoint QtPlatform::cursorPos() const
{
    if (!pointerWatch_ && QGuiApplication::instance()) {
        pointerWatch_ = std::make_unique<PointerWatch>();
        pointerWatch_->setMovementHandler(pointerMovedHandler_);
    }
    if (cursor_ && pointerWatch_ && !pointerWatch_->movedSinceLastLook()) return *cursor_;
    // The server's pixels are Qt's where no screen is scaled; elsewhere Qt converts them.
    bool unscaled = true;
    for (const QScreen* screen : QGuiApplication::screens())
        unscaled = unscaled && screen->devicePixelRatio() == 1.0;
    const std::optional<QPoint> asked =
        pointerWatch_ && unscaled ? pointerWatch_->askPointer() : std::nullopt;
    const QPoint told = asked ? *asked : QCursor::pos();
    const QPoint p = pointerWatch_ ? pointerWatch_->believed(told) : told;
    cursor_ = PixelPoint{p.x(), p.y()};
    return *cursor_;
}

bool QtPlatform::pointerElsewhere() const
{
    return cursor_ && cursor_->x == PointerWatch::kNowhere.x() && cursor_->y == PointerWatch::kNowhere.y();
}

bool QtPlatform::pointerResting()
{
    // At rest only once the pointer was asked for: until then nothing is known of where it stands.
    return cursor_ && pointerWatch_ && pointerWatch_->resting();
}

void QtPlatform::setPointerMovedHandler(std::function<void()> handler)
{
    pointerMovedHandler_ = std::move(handler);
    if (pointerWatch_) pointerWatch_->setMovementHandler(pointerMovedHandler_);
}

void QtPlatform::setScreensChangedHandler(std::function<void()> handler)
{
    screensWatch_.reset();
    if (!handler) return;
    // A change comes in steps (a monitor's size, then the free area, then the primary screen): one
    // report once they have settled.
    auto* settled = new QTimer;
    screensWatch_.reset(settled);
    settled->setSingleShot(true);
    settled->setInterval(kScreensSettleMs);
    QObject::connect(settled, &QTimer::timeout, settled, std::move(handler));
    const auto start = qOverload<>(&QTimer::start);
    const auto follow = [settled, start](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, settled, start);
        QObject::connect(screen, &QScreen::availableGeometryChanged, settled, start);
    };
    for (QScreen* screen : QGuiApplication::screens())
        follow(screen);
    QObject::connect(qApp, &QGuiApplication::screenAdded, settled, follow);
    QObject::connect(qApp, &QGuiApplication::screenAdded, settled, start);
    QObject::connect(qApp, &QGuiApplication::screenRemoved, settled, start);
    QObject::connect(qApp, &QGuiApplication::primaryScreenChanged, settled, start);
}

PixelRect QtPlatform::stripRect() const
{
    if (!strip_) return {};
    const QRect g = strip_->geometry();
    return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

void QtPlatform::placeStrip(double leftTwips, double topTwips, double widthTwips, double heightTwips)
{
    if (!strip_) return;
    const QRect target = toPixelRect(leftTwips, topTwips, widthTwips, heightTwips);
    if (strip_->geometry() != target) strip_->setGeometry(target);
}

void QtPlatform::setStripTopmost(int x, int y, int cx, int cy)
{
    if (!strip_) return;
    strip_->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    strip_->setGeometry(x, y, cx, cy);
    strip_->raise();
}

QColor QtPlatform::systemColour(SystemColour which) const
{
    const QPalette palette = QGuiApplication::palette();
    switch (which) {
    case SystemColour::Desktop:
        break;
    case SystemColour::InactiveTitleBar:
        return palette.color(QPalette::Inactive, QPalette::Mid);
    case SystemColour::WindowBackground:
        return palette.color(QPalette::Active, QPalette::Base);
    case SystemColour::WindowText:
        return palette.color(QPalette::Active, QPalette::WindowText);
    }
    // The desktop gives no colour of its own: a deep slate blue, on which white captions read well.
    return QColor(0x1f, 0x3a, 0x5f);
}

void QtPlatform::showMessage(const QString& title, const QString& text)
{
    if (openMessage_) return;
    auto* box = new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->setObjectName("message");
    openMessage_ = box;
    box->show();
}

void QtPlatform::showWarning(const QString& title, const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName("warning");
    box->show();
}

bool QtPlatform::claimSingleInstance()
{
    const SingleInstance::Claim claim = instance_->claim();
    if (claim != SingleInstance::Claim::Unguarded) return claim == SingleInstance::Claim::Sole;
    // The program runs all the same; the person who wonders why two copies run can read why here.
    std::fprintf(stderr, "%s: %s; this copy starts without the check for another running copy.\n",
                 BuildInfo::kTitle, qPrintable(instance_->problem()));
    return true;
}

bool QtPlatform::activateRunningInstance(const QString& fileToOpen)
{
    return instance_->activateRunning(3000, fileToOpen);
}

bool QtPlatform::fullscreenActive() const
{
    return (fullscreen_ && fullscreen_->active()) || (film_ && film_->active());
}

void QtPlatform::setFullscreenHandler(std::function<void(bool active)> handler)
{
    fullscreen_.reset();
    film_.reset();
    if (!handler) return;
    // Each watch tells its own changes; the two together change only while the other one is off.
    fullscreen_ = std::make_unique<FullscreenWatch>([this] { return stripScreenArea(); },
                                                    [this, handler](bool now) {
                                                        if (!film_->active()) handler(now);
                                                    });
    film_ = std::make_unique<FilmWatch>([this, handler](bool now) {
        if (!fullscreen_->active()) handler(now);
    });
}

namespace {

// Gives a window of ours that wants to stay on top the stacking asked for last: on top, or below the
// others. Through the window handle: the widget's own flags would hide the window to change.
void applyOnTop(QWidget* window, bool onTop, bool restack)
{
    QWindow* handle = window->windowHandle();
    if (!window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) || handle == nullptr) return;
    if (handle->flags().testFlag(Qt::WindowStaysOnTopHint) != onTop) {
        handle->setFlag(Qt::WindowStaysOnTopHint, onTop);
        handle->setFlag(Qt::WindowStaysOnBottomHint, !onTop);
    }
    if (!restack || !window->isVisible()) return;
    keepAbove(window, onTop);
    onTop ? window->raise() : window->lower();
}

// Windows shown while the program steps aside go below too.
class OnTopKeeper : public QObject
{
public:
    explicit OnTopKeeper(const bool& onTop) : onTop_(onTop) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // About to be mapped, in the place its flags give it.
        if (event->type() == QEvent::Show && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow())
            applyOnTop(static_cast<QWidget*>(watched), onTop_, false);
        return false;
    }

private:
    const bool& onTop_;
};

} // namespace

void QtPlatform::keepOurWindowsOnTop(bool onTop)
{
    onTop_ = onTop;
    if (!onTopKeeper_ && !onTop) onTopKeeper_ = std::make_unique<OnTopKeeper>(onTop_);
    for (QWidget* window : QApplication::topLevelWidgets())
        applyOnTop(window, onTop, true);
}

QRect QtPlatform::availableArea(std::optional<QPoint> near) const
{
    const QScreen* screen = near ? QGuiApplication::screenAt(*near) : nullptr;
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1 << 15, 1 << 15);
}

QRect QtPlatform::stripScreenArea() const
{
    const QScreen* screen = screenOf(strip_);
    return screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
}

} // namespace dialoon
