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

void Caption::paintEvent(QPaintEvent* event)
{
    // Anything but the strip's plain one-line caption is the label's own business.
    if (textFormat() != Qt::PlainText || wordWrap() || alignment() != (Qt::AlignLeft | Qt::AlignTop) || indent() > 0 ||
        margin() != 0 || frameWidth() != 0 || !pixmap().isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    const QString& full = text();
    qsizetype blanks = 0;
    while (blanks < full.size() && full.at(blanks) == QLatin1Char(' '))
        ++blanks;
    const QString body = full.mid(blanks);
    if (!laidOut_ || body != bodyText_) {
        bodyText_ = body;
        body_.setText(body);
        body_.prepare(QTransform(), font());
        // The blanks' width as the line would lay them out: every blank as wide as the first, and the
        // last one kerned with the first letter.
        const QFontMetricsF metrics(font());
        const QString first = body.left(1);
        blankWidth_ = metrics.horizontalAdvance(QLatin1Char(' '));
        lastBlankWidth_ = metrics.horizontalAdvance(QLatin1Char(' ') + first) - metrics.horizontalAdvance(first);
        laidOut_ = true;
        ++layouts_;
    }
    const qreal lead = blanks == 0 ? 0.0 : (blanks - 1) * blankWidth_ + lastBlankWidth_;
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawStaticText(QPointF(contentsRect().left() + lead, contentsRect().top()), body_);
}

} // namespace dialoon
