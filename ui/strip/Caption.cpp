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
        leadCount_ = -1;
        laidOut_ = true;
        ++layouts_;
    }
    if (blanks != leadCount_) {
        // The blanks' width as the line would lay them out, any kerning with the first letter included.
        const QFontMetricsF metrics(font());
        const QString first = body.left(1);
        lead_ = blanks == 0 ? 0.0 : metrics.horizontalAdvance(full.left(blanks) + first) - metrics.horizontalAdvance(first);
        leadCount_ = blanks;
    }
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawStaticText(QPointF(contentsRect().left() + lead_, contentsRect().top()), body_);
}

} // namespace dialoon
