#include "ui/strip/Caption.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

namespace dialoon {

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
    qsizetype blanks = 0;
    while (blanks < full.size() && full.at(blanks) == QLatin1Char(' '))
        ++blanks;
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
    return blanks == 0 ? 0.0 : (blanks - 1) * blankWidth_ + lastBlankWidth_;
}

QRect Caption::inkArea(const QString& full)
{
    if (full.trimmed().isEmpty())
        return {};
    const qreal left = contentsRect().left() + layOut(full);
    return QRectF(left - slack_, 0, body_.size().width() + 2 * slack_, height()).toAlignedRect() & rect();
}

bool Caption::drawsPartly() const
{
    return plainLine() && isVisible() && updatesEnabled();
}

template <typename Change>
void Caption::changeDrawingOnly(const QRegion& area, const Change& change)
{
    setAttribute(Qt::WA_UpdatesDisabled, true);
    change();
    setAttribute(Qt::WA_UpdatesDisabled, false);
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
    const QRect before = inkArea(QLabel::text());
    changeDrawingOnly(QRegion(before).united(inkArea(text)), [&] { QLabel::setText(text); });
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
    // A blank caption (the one of the two languages not shown) draws nothing over what lies beneath.
    if (bodyText_.isEmpty())
        return;
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawStaticText(QPointF(contentsRect().left() + lead, contentsRect().top()), body_);
}

} // namespace dialoon
