#include "ui/strip/Caption.h"

#include "ui/strip/StripAccessibility.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace dialoon {
namespace {

// The smallest size a long text is set in: a tenth smaller than the strip's own still reads at a glance.
constexpr qreal kSmallestShare = 0.75;
// The beginning stands a moment; then the rest comes by at 25 pixels a second, slow enough to read along,
// or faster when that would not show the end within the shortest showing (3 seconds) of a language.
constexpr int kScrollStepMs = 40;
constexpr qreal kScrollStepPixels = 1.0;
constexpr int kScrollWaitSteps = 800 / kScrollStepMs;
constexpr int kScrollLongestMs = 2000;

} // namespace

Caption::Caption(QWidget* parent) : QWidget(parent)
{
    installStripAccessibility();
    body_.setTextFormat(Qt::PlainText);
    scroll_.setInterval(kScrollStepMs);
    connect(&scroll_, &QTimer::timeout, this, &Caption::scrollStep);
}

void Caption::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) laidOut_ = false;
    QWidget::changeEvent(event);
}

qreal Caption::layOut(const QString& full)
{
    qsizetype blanks = 0;
    while (blanks < full.size() && full.at(blanks) == QLatin1Char(' '))
        ++blanks;
    const QStringView body = QStringView(full).mid(blanks);
    // Nothing to draw needs no font: a strip that starts blank shows its first frame without one.
    if (body.isEmpty()) {
        bodyText_.clear();
        return 0.0;
    }
    if (!laidOut_ || body != bodyText_) {
        bodyText_ = body.toString();
        body_.setText(bodyText_);
        // A text wider than the caption is set smaller, step by step down to the smallest size.
        bodyFont_ = font();
        const qreal room =
            (room_ > 0 ? std::min(room_, width()) : width()) - 2 * QFontMetricsF(font()).averageCharWidth();
        qreal textWidth = QFontMetricsF(bodyFont_).horizontalAdvance(bodyText_);
        const qreal size = font().pointSizeF();
        for (qreal smaller = size; textWidth > room && size > 0 && smaller > size * kSmallestShare;) {
            smaller = std::max(size * kSmallestShare, smaller - 0.5);
            bodyFont_.setPointSizeF(smaller);
            textWidth = QFontMetricsF(bodyFont_).horizontalAdvance(bodyText_);
        }
        overflow_ = std::max<qreal>(0.0, textWidth - room);
        bodyDrop_ = std::round((QFontMetricsF(font()).ascent() - QFontMetricsF(bodyFont_).ascent()));
        scrolled_ = 0.0;
        scrollWait_ = kScrollWaitSteps;
        body_.prepare(QTransform(), bodyFont_);
        // The blanks' width as a line of text lays them out: every blank as wide as the first, and the
        // last one kerned with the first letter.
        const QFontMetricsF metrics(bodyFont_);
        const QString first = bodyText_.left(1);
        blankWidth_ = metrics.horizontalAdvance(QLatin1Char(' '));
        lastBlankWidth_ =
            metrics.horizontalAdvance(QLatin1Char(' ') + first) - metrics.horizontalAdvance(first);
        slack_ = metrics.averageCharWidth();
        laidOut_ = true;
    }
    // The others rounded together to whole pixels: one blank more or fewer moves the same picture.
    return blanks == 0 ? 0.0 : std::round((blanks - 1) * blankWidth_) + lastBlankWidth_;
}

QRect Caption::inkArea()
{
    const qreal lead = layOut(text_);
    if (bodyText_.isEmpty()) return {};
    const QRect line = lineArea();
    if (overflow_ > 0) return line;
    const QRectF ink(line.left() + lead - slack_, line.top(), body_.size().width() + 2 * slack_,
                     line.height());
    return ink.toAlignedRect() & line;
}

void Caption::followScroll(qreal lead)
{
    // Only a text at rest scrolls (the German one rests a blank in): one sliding in or gone stands still.
    const bool atRest = lead <= lastBlankWidth_ + 0.5;
    const bool scrolls = overflow_ > 0 && atRest && !bodyText_.isEmpty() && scrolled_ < overflow_;
    if (scrolls && !scroll_.isActive()) scroll_.start();
    if (!scrolls) scroll_.stop();
}

void Caption::scrollStep()
{
    if (scrollWait_ > 0) {
        --scrollWait_;
        return;
    }
    const qreal step = std::max(kScrollStepPixels, overflow_ * kScrollStepMs / kScrollLongestMs);
    scrolled_ = std::min(overflow_, scrolled_ + step);
    update(lineArea());
    followScroll(layOut(text_));
}

void Caption::setText(const QString& text)
{
    if (text == text_) return;
    const QRect before = inkArea();
    text_ = text;
    const QRect after = inkArea();
    const QString name = bodyText_.trimmed();
    if (accessibleName() != name) setAccessibleName(name);
    update(QRegion(before).united(after));
    followScroll(layOut(text_));
}

void Caption::setLine(const QRect& line)
{
    const QRect own = line.translated(-pos());
    if (own == lineArea()) return;
    const QRect before = inkArea();
    line_ = own;
    update(QRegion(before).united(inkArea()));
}

void Caption::paintEvent(QPaintEvent* event)
{
    const QRect ink = inkArea();
    if (!event->region().intersects(ink)) return;
    QPainter painter(this);
    painter.setFont(bodyFont_);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    const QRect line = lineArea();
    const qreal lead = layOut(text_);
    const qreal indent = overflow_ > 0 ? slack_ : 0.0;
    painter.setClipRect(line);
    painter.drawStaticText(QPointF(line.left() + lead + indent - scrolled_, line.top() + bodyDrop_), body_);
}

} // namespace dialoon
