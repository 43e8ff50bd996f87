// A caption of the strip: one line of plain text, drawn where its leading blanks put it. The German
// sentence comes in with a shrinking run of leading blanks, and the English one rises into view: the
// caption keeps its place and size, moves its text inside itself, and asks to draw again only where the
// text stood and stands. The text after the blanks is laid out once, whatever blanks precede it. A text
// too long for the caption is never cut: it is set smaller, down to a size that still reads well, and
// what is still too long then scrolls slowly through the caption once it has come to rest.
#pragma once

#include <QStaticText>
#include <QTimer>
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
    // How much of the caption's width is seen (from its left edge): a longer text is set smaller or
    // scrolls. 0: all of it.
    void setRoom(int pixels)
    {
        room_ = pixels;
        laidOut_ = false;
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Lays out the text after the leading blanks when it changed; returns how far the blanks move it.
    qreal layOut(const QString& full);
    // Where the text stands, with room for letters that reach past their advance (own coordinates).
    QRect inkArea();
    QRect lineArea() const { return line_.isNull() ? rect() : line_; }
    // Starts or stops the scroll of a text too long for the caption, as the text now stands.
    void followScroll(qreal lead);
    void scrollStep();

    QString text_;
    QRect line_;
    QStaticText body_;
    QString bodyText_;
    qreal blankWidth_ = 0.0;
    qreal lastBlankWidth_ = 0.0;
    qreal slack_ = 0.0;
    bool laidOut_ = false;
    QFont bodyFont_;       // the caption's font, or a smaller one for a long text
    qreal bodyDrop_ = 0.0; // how far a smaller text moves down to stand in the middle of the line
    qreal overflow_ = 0.0; // how much wider than the caption the text is at its smallest
    qreal scrolled_ = 0.0; // how far it has scrolled to the left
    int scrollWait_ = 0;   // steps to wait before scrolling, so that the beginning can be read
    QTimer scroll_;
    int room_ = 0;
};

} // namespace dialoon
