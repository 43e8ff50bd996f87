// The speech balloon: its outline, its words as they are heard, and its going.
#include "speech/SpeechBalloon.h"

#include "platform/DesktopPlatform.h"
#include "speech/ShapeMask.h"

#include <QAccessibleWidget>
#include <QPainter>
#include <QPainterPath>
#include <QTextLine>
#include <algorithm>

namespace dialoon {

namespace {

constexpr int kMaxTextWidth = 230;
constexpr int kPadX = 12;
constexpr int kPadY = 9;
constexpr int kTailWidth = 20; // how far the tail reaches beyond the body, sideways
constexpr int kTailDrop = 16;  // and downwards
constexpr qreal kRadius = 12.0;
constexpr qreal kPen = 2.0;
// Where the tail points, as fractions of the character's square: beside the head, level with the beak.
constexpr qreal kAnchorLeftX = 0.22;
constexpr qreal kAnchorRightX = 0.70;
constexpr qreal kAnchorY = 0.44;

const QColor kPaper(255, 253, 244);
const QColor kInk(32, 44, 36);

// A frameless window of its own is still a window to a screen reader, not a filler.
QAccessibleInterface* balloonAccessible(const QString& className, QObject* object)
{
    auto* balloon = qobject_cast<QWidget*>(object);
    if (!balloon || className != QLatin1String(SpeechBalloon::staticMetaObject.className())) return nullptr;
    return new QAccessibleWidget(balloon, QAccessible::Window);
}

} // namespace

SpeechBalloon::SpeechBalloon(const DesktopPlatform& platform, HandlerEdge edge, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint |
                          Qt::WindowTransparentForInput | Qt::X11BypassWindowManagerHint),
      platform_(platform), edge_(std::move(edge))
{
    static const bool accessible = [] {
        QAccessible::installFactory(balloonAccessible);
        return true;
    }();
    Q_UNUSED(accessible);
    setObjectName(QStringLiteral("PeedyBalloon"));
    setWindowTitle(QStringLiteral("PeedyBalloon"));
    setAccessibleName(QStringLiteral("Peedy's balloon"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    platform_.keepOffTaskbar(*this);
    QFont balloonFont = font();
    balloonFont.setPointSizeF(std::max<qreal>(balloonFont.pointSizeF(), 10.0) + 1.0);
    setFont(balloonFont);

    linger_.setSingleShot(true);
    linger_.setInterval(kLingerMs);
    connect(&linger_, &TickTimer::timeout, this, [this] {
        runBehind(edge_, [this] {
            // Without a compositing manager the steps of a fade would not be seen, only cost.
            if (!platform_.windowsBlend()) return dismiss();
            opacity_ = 1.0;
            fade_.start();
        });
    });
    fade_.setInterval(kFadeStepMs);
    connect(&fade_, &TickTimer::timeout, this, [this] {
        runBehind(edge_, [this] {
            opacity_ -= qreal(kFadeStepMs) / kFadeMs;
            opacity_ <= 0.0 ? dismiss() : setWindowOpacity(opacity_);
        });
    });
}

void SpeechBalloon::say(const QString& text, const QRect& character)
{
    linger_.stop();
    fade_.stop();
    setWindowOpacity(1.0);
    // Trailing blanks are part of the course text but would only widen the balloon.
    text_ = text;
    while (!text_.isEmpty() && text_.back().isSpace())
        text_.chop(1);
    revealed_ = 0;
    if (text_.isEmpty()) return hide();
    layout_.clearLayout();
    layout_.setText(text_);
    layout_.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout_.setTextOption(option);
    layout_.beginLayout();
    qreal y = 0.0;
    qreal widest = 0.0;
    for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine()) {
        line.setLineWidth(kMaxTextWidth);
        line.setPosition(QPointF(0.0, y));
        y += line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout_.endLayout();
    paper_ = QImage();
    setFixedSize(qCeil(widest) + 2 * kPadX + kTailWidth, qCeil(y) + 2 * kPadY + kTailDrop);
    follow(character);
    show();
    update();
}

void SpeechBalloon::reveal(int length)
{
    const int clamped = std::clamp(length, 0, static_cast<int>(text_.size()));
    if (clamped <= revealed_) return;
    // Only the words just heard are drawn again.
    update(textArea(revealed_, clamped));
    revealed_ = clamped;
}

void SpeechBalloon::dismiss()
{
    linger_.stop();
    fade_.stop();
    hide();
    setWindowOpacity(1.0);
}

void SpeechBalloon::follow(const QRect& character)
{
    if (text_.isEmpty()) return;
    const QRect free = platform_.availableArea(character.center());
    const int leftAnchor = character.left() + qRound(kAnchorLeftX * character.width());
    const int rightAnchor = character.left() + qRound(kAnchorRightX * character.width());
    // Left of the character by preference: by default it stands in the lower right corner.
    const bool tailOnRight = leftAnchor - width() >= free.left() || rightAnchor + width() > free.right();
    const QPoint wanted(tailOnRight ? leftAnchor - width() + 1 : rightAnchor,
                        character.top() + qRound(kAnchorY * character.height()) - height() + 1);
    if (tailOnRight != tailOnRight_) {
        tailOnRight_ = tailOnRight;
        paper_ = QImage();
        update();
    }
    move(keptInside(QRect(wanted, size()), free));
    setMask(shapeMaskFromAlpha(paper()));
}

QPainterPath SpeechBalloon::outline() const
{
    const qreal half = kPen / 2.0;
    const qreal left = tailOnRight_ ? 0.0 : kTailWidth;
    const QRectF body(left + half, half, width() - kTailWidth - kPen, height() - kTailDrop - kPen);
    QPainterPath path;
    path.addRoundedRect(body, kRadius, kRadius);
    QPainterPath tail;
    const qreal bottom = body.bottom() - 1.0;
    const qreal edge = tailOnRight_ ? body.right() : body.left();
    const qreal inwards = tailOnRight_ ? -1.0 : 1.0;
    tail.moveTo(edge + inwards * 34.0, bottom);
    tail.lineTo(tailOnRight_ ? width() - half : half, height() - half);
    tail.lineTo(edge + inwards * kRadius, bottom - 6.0);
    tail.closeSubpath();
    return path.united(tail).simplified();
}

QPointF SpeechBalloon::textOrigin() const
{
    return QPointF((tailOnRight_ ? 0.0 : kTailWidth) + kPadX, kPadY);
}

QRect SpeechBalloon::textArea(int from, int to) const
{
    QRectF area;
    for (int i = 0; i < layout_.lineCount(); ++i) {
        const QTextLine line = layout_.lineAt(i);
        const int start = std::max(from, line.textStart());
        const int end = std::min(to, line.textStart() + line.textLength());
        if (start >= end) continue;
        const qreal left = line.cursorToX(start);
        const qreal right = line.cursorToX(end);
        area |= QRectF(line.x() + std::min(left, right), line.y(), std::abs(right - left), line.height());
    }
    // Antialiased letters reach a little beyond their advance.
    return area.translated(textOrigin()).toAlignedRect().adjusted(-3, -1, 3, 1);
}

const QImage& SpeechBalloon::paper()
{
    const qreal ratio = devicePixelRatioF();
    if (paper_.isNull() || paper_.size() != size() * ratio || paper_.devicePixelRatio() != ratio) {
        paper_ = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
        paper_.setDevicePixelRatio(ratio);
        paper_.fill(Qt::transparent);
        QPainter painter(&paper_);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(kInk, kPen));
        painter.setBrush(kPaper);
        painter.drawPath(outline());
    }
    return paper_;
}

void SpeechBalloon::paintEvent(QPaintEvent* event)
{
    const QRect area = event->rect();
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QImage& background = paper();
    painter.drawImage(area, background,
                      QRectF(QPointF(area.topLeft()) * background.devicePixelRatio(),
                             QSizeF(area.size()) * background.devicePixelRatio()));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);

    // The whole sentence is laid out from the start, so that words do not jump as they appear; the
    // words not yet heard are drawn invisible.
    QTextLayout::FormatRange unheard;
    unheard.start = revealed_;
    unheard.length = static_cast<int>(text_.size()) - revealed_;
    unheard.format.setForeground(Qt::transparent);
    painter.setPen(kInk);
    layout_.draw(&painter, textOrigin(), {unheard}, QRectF(area));
}

} // namespace dialoon
