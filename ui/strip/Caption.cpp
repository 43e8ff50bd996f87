#include "ui/strip/Caption.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace dialoon {

namespace {

// How many blanks a text begins with.
qsizetype leadingBlanks(QStringView full)
{
    qsizetype blanks = 0;
    while (blanks < full.size() && full.at(blanks) == QLatin1Char(' '))
        ++blanks;
    return blanks;
}

// The text after its leading blanks.
QStringView bodyOf(QStringView full)
{
    return full.mid(leadingBlanks(full));
}

} // namespace

Caption::Caption(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWordWrap(false);
    body_.setTextFormat(Qt::PlainText);
}

void Caption::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        laidOut_ = false;
    QLabel::changeEvent(event);
}

bool Caption::plainLine() const
{
    return textFormat() == Qt::PlainText && !wordWrap() && alignment() == (Qt::AlignLeft | Qt::AlignTop) && indent() <= 0 &&
           margin() == 0 && frameWidth() == 0 && pixmap().isNull();
}

qreal Caption::layOut(const QString& full)
{
    const qsizetype blanks = leadingBlanks(full);
    const QStringView body = QStringView(full).mid(blanks);
    if (!laidOut_ || body != bodyText_) {
        bodyText_ = body.toString();
        body_.setText(bodyText_);
        body_.prepare(QTransform(), font());
        // The blanks' width as the line would lay them out: every blank as wide as the first, and the
        // last one kerned with the first letter.
        const QFontMetricsF metrics(font());
        const QString first = bodyText_.left(1);
        blankWidth_ = metrics.horizontalAdvance(QLatin1Char(' '));
        lastBlankWidth_ = metrics.horizontalAdvance(QLatin1Char(' ') + first) - metrics.horizontalAdvance(first);
        slack_ = metrics.averageCharWidth();
        laidOut_ = true;
        ++layouts_;
    }
    // The last blank as the line lays it out, the others rounded together to whole pixels: one blank
    // more or fewer then moves the same picture of the text.
    return blanks == 0 ? 0.0 : std::round((blanks - 1) * blankWidth_) + lastBlankWidth_;
}

QRect Caption::inkArea(const QString& full)
{
    return inkAt(full, layOut(full));
}

QRect Caption::inkAt(const QString& full, qreal lead) const
{
    if (full.trimmed().isEmpty())
        return {};
    const qreal left = contentsRect().left() + lead;
    return QRectF(left - slack_, 0, body_.size().width() + 2 * slack_, height()).toAlignedRect() & rect();
}

bool Caption::drawsPartly() const
{
    return plainLine() && isVisible() && updatesEnabled();
}

bool Caption::movesDrawnText() const
{
    const qreal ratio = devicePixelRatioF();
    return autoFillBackground() && !testAttribute(Qt::WA_NoSystemBackground) &&
           palette().brush(backgroundRole()).isOpaque() && ratio == std::floor(ratio);
}

QRect Caption::openArea() const
{
    const QWidget* parent = parentWidget();
    if (parent == nullptr || isWindow())
        return rect();
    // Within the parent's bounds (the strip is narrower than the German caption).
    QRegion open(rect() & parent->rect().translated(-pos()));
    const QObjectList& siblings = parent->children();
    for (qsizetype i = siblings.indexOf(this) + 1; i < siblings.size(); ++i) {
        const auto* sibling = qobject_cast<const QWidget*>(siblings.at(i));
        if (sibling == nullptr || !sibling->isVisible() || sibling->isWindow())
            continue;
        const QRegion over = sibling->mask().isEmpty() ? QRegion(sibling->geometry())
                                                       : sibling->mask().translated(sibling->pos());
        open -= over.translated(-pos());
    }
    // The largest free rectangle: the text moves along it.
    QRect widest;
    for (const QRect& band : open)
        if (band.width() * band.height() > widest.width() * widest.height())
            widest = band;
    return widest;
}

template <typename Change>
void Caption::holdingDrawing(const Change& change)
{
    setAttribute(Qt::WA_UpdatesDisabled, true);
    change();
    setAttribute(Qt::WA_UpdatesDisabled, false);
}

template <typename Change>
void Caption::changeDrawingOnly(const QRegion& area, const Change& change)
{
    holdingDrawing(change);
    update(area);
}

void Caption::setText(const QString& text)
{
    if (text == QLabel::text())
        return;
    if (!drawsPartly()) {
        QLabel::setText(text);
        return;
    }
    // The label would ask to draw its whole width again; only the two texts' places need it.
    const QString old = QLabel::text();
    const qreal leadBefore = layOut(old);
    const QRect before = inkAt(old, leadBefore);
    const qreal leadAfter = layOut(text);
    const QRect after = inkAt(text, leadAfter);
    const QRegion changed = QRegion(before).united(after);
    const qreal delta = leadAfter - leadBefore;
    const int shift = int(std::lround(delta));
    const bool sameBody = bodyOf(old) == bodyOf(text) && !before.isEmpty();
    if (!sameBody || shift == 0 || std::abs(delta - shift) > 1e-6 || !movesDrawnText()) {
        changeDrawingOnly(changed, [&] { QLabel::setText(text); });
        return;
    }
    // Only the leading blanks changed: the same picture moves by whole pixels. Where no other widget
    // lies over the caption, the pixels already drawn are moved, and only what the text uncovers is
    // drawn again; elsewhere its places are drawn again.
    holdingDrawing([&] { QLabel::setText(text); });
    const QRect moved = changed.boundingRect() & openArea();
    if (!moved.isEmpty())
        scroll(shift, 0, moved);
    const QRegion rest = changed.subtracted(moved);
    if (!rest.isEmpty())
        update(rest);
}

void Caption::place(const QRect& target)
{
    if (target == geometry())
        return;
    // The caption keeps the size it is placed at: a label whose size may change asks its parent to lay
    // it out again with every new text, one more event for the event loop at every step.
    const auto put = [&] {
        setFixedSize(target.size());
        setGeometry(target);
    };
    if (!drawsPartly() || target.size() != size()) {
        put();
        return;
    }
    // The label would ask to draw the whole of its old and new places again. Where it no longer
    // reaches, the parent still draws again itself.
    const QRect ink = inkArea(text());
    const QPoint shift = pos() - target.topLeft();
    changeDrawingOnly(QRegion(ink).united(ink.translated(shift)), put);
}

void Caption::paintEvent(QPaintEvent* event)
{
    if (!plainLine()) {
        QLabel::paintEvent(event);
        return;
    }
    const qreal lead = layOut(text());
    // A blank caption (the one of the two languages not shown) draws nothing over what lies beneath,
    // nor does a caption asked to draw only where its text does not reach, such as the column the
    // sliding sentence uncovers behind it.
    if (bodyText_.isEmpty() || !event->region().intersects(inkAt(text(), lead)))
        return;
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawStaticText(QPointF(contentsRect().left() + lead, contentsRect().top()), body_);
}

} // namespace dialoon
