// A caption of the strip: a label of one line of plain text, drawn from a layout kept while only its
// leading blanks change. The German sentence comes in with a shrinking run of leading blanks, a new text
// at every step; laid out anew each time, its letters would be shaped again at every step, and the whole
// width of the caption drawn again and sent to the screen where only the sentence moved.
//
// Blanks after the first move the text by whole pixels, so that a step moves the same picture of the
// sentence: a caption that fills its own background then moves the pixels already on the screen, and
// only the column the sentence uncovers is drawn again and sent.
#pragma once

#include <QLabel>
#include <QStaticText>

namespace dialoon {

class Caption : public QLabel
{
    Q_OBJECT
public:
    explicit Caption(QWidget* parent = nullptr);

    // Changes the text, asking to draw again only where the old or the new text stands. When only the
    // leading blanks changed and the caption fills its background, moves the text already drawn instead.
    void setText(const QString& text);
    // Moves the caption, asking to draw again only where its text stood and stands: the English one
    // rises a pixel at a time, and its text is much narrower than the caption. The caption keeps the
    // size it is placed at.
    void place(const QRect& geometry);

    // How many times the text after the leading blanks was laid out.
    int layouts() const { return layouts_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The caption the strip shows: anything else is drawn by the label itself.
    bool plainLine() const;
    // Whether a change asks to draw again only where the text stood and stands (a plain line on the
    // screen), or leaves it to the label.
    bool drawsPartly() const;
    // Whether the pixels drawn for a text can be moved to show the same text with other leading blanks:
    // the caption draws its own background, at a whole number of screen pixels per pixel.
    bool movesDrawnText() const;
    // The part of the caption that no widget above it lies over, where pixels can be moved.
    QRect openArea() const;
    // Makes the change with the label's own requests to draw again held back.
    template <typename Change>
    void holdingDrawing(const Change& change);
    // Makes the change with the label's own requests to draw again held back, then asks for the area.
    template <typename Change>
    void changeDrawingOnly(const QRegion& area, const Change& change);
    // Lays out the text after the leading blanks when it changed; returns where that text begins.
    qreal layOut(const QString& full);
    // Where the text stands, with room for letters that reach past their advance.
    QRect inkArea(const QString& full);
    // The same for a text already laid out, whose body begins `lead` from the left.
    QRect inkAt(const QString& full, qreal lead) const;

    QStaticText body_;
    QString bodyText_;
    qreal blankWidth_ = 0.0;
    qreal lastBlankWidth_ = 0.0;
    qreal slack_ = 0.0;
    int layouts_ = 0;
    bool laidOut_ = false;
};

} // namespace dialoon
