// A caption of the strip: one line of plain text, drawn where its leading blanks put it. The German
// sentence comes in with a shrinking run of leading blanks, and the English one rises into view: the
// caption keeps its place and size, moves its text inside itself, and asks to draw again only where the
// text stood and stands. The text after the blanks is laid out once, whatever blanks precede it.
#pragma once

#include <QStaticText>
#include <QWidget>

namespace dialoon {

class Caption : public QWidget
{
    Q_OBJECT
public:
    explicit Caption(QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);
    // Where the line of text stands, in the parent's coordinates: the caption's own area until moved.
    QRect line() const { return lineArea().translated(pos()); }
    // Moves the line (same parent's coordinates), which stays inside the caption's area.
    void setLine(const QRect& line);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Lays out the text after the leading blanks when it changed; returns how far the blanks move it.
    qreal layOut(const QString& full);
    // Where the text stands, with room for letters that reach past their advance (own coordinates).
    QRect inkArea();
    QRect lineArea() const { return line_.isNull() ? rect() : line_; }

    QString text_;
    QRect line_;
    QStaticText body_;
    QString bodyText_;
    qreal blankWidth_ = 0.0;
    qreal lastBlankWidth_ = 0.0;
    qreal slack_ = 0.0;
    bool laidOut_ = false;
};

} // namespace dialoon
