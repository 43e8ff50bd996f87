#include "ui/strip/Caption.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace dialoon {

Caption::Caption(QWidget* parent) : QWidget(parent)
{
    body_.setTextFormat(Qt::PlainText);
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
        body_.prepare(QTransform(), font());
        // The blanks' width as a line of text lays them out: every blank as wide as the first, and the
        // last one kerned with the first letter.
        const QFontMetricsF metrics(font());
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
    const QRectF ink(line.left() + lead - slack_, line.top(), body_.size().width() + 2 * slack_,
                     line.height());
    return ink.toAlignedRect() & line;
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
    painter.setFont(font());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    const QRect line = lineArea();
    painter.drawStaticText(QPointF(line.left() + layOut(text_), line.top()), body_);
}

} // namespace dialoon
