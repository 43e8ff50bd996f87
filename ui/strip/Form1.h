// The strip: a borderless, always-on-top window at the top edge of the screen that shows one sentence
// at a time. It draws its model and reports the mouse; the logic lives elsewhere.
#pragma once

#include "engine/StripModel.h"

#include <QLabel>

namespace dialoon {

class Caption;
class DesktopPlatform;

class Form1 : public QWidget
{
    Q_OBJECT
public:
    Form1(StripModel& model, DesktopPlatform& platform);
    ~Form1() override;

    // Brings the window and its captions in line with the model.
    void render();
    // Puts the picture on the menu button. Reading it loads the toolkit's picture formats, which the
    // strip's first frame need not wait for: the program calls this once that frame is on the screen.
    void showMenuPicture();
    // The menu button pressed without the pointer, as a screen reader does: the menu opens as it does
    // when the pointer comes over the button, and not while the button is disabled.
    void pressMenuButton();

    Caption* german() const { return label1_; }
    Caption* english() const { return label2_; }
    QWidget* image1() const { return image1_; }
    // Whether the rows the strip shows, as last rendered, reach its captions (not while it is rolled up).
    bool showsCaptions() const { return showsCaptions_; }
    // Whether the English caption at this top (twips) with this text would look as it does on the screen
    // now: the same pixels, or out of view both now and then.
    bool englishLooksTheSame(float top, const QString& text) const;

signals:
    void captionPressed();
    void captionMoved();
    void captionReleased();
    void menuButtonHovered();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The strip's rows the model shows, in the window's pixels.
    QRect shownArea() const;
    QRect englishArea(float top) const;
    // Whether the English caption stands in view now or would at the target (pixels).
    bool englishInView(const QRect& target, const QRect& shown) const;

    StripModel& model_;
    DesktopPlatform& platform_;
    Caption* label1_;
    Caption* label2_;
    QWidget* label3_;
    QWidget* label4_;
    QWidget* shape1_;
    QLabel* image1_;
    QWidget* bar_;
    float renderedLabel2Top_ = -1.0f;
    int renderedBar_ = -1;
    bool showsCaptions_ = true;
};

} // namespace dialoon
