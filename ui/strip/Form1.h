// The strip: a borderless, always-on-top window at the top edge of the screen that shows one sentence
// at a time. It draws its model and reports the mouse and its timers; the logic lives elsewhere.
#pragma once

#include "engine/StripModel.h"

#include <QTimer>
#include <QWidget>

#include <array>

#include <QLabel>

namespace dialoon {

class Platform;

class Form1 : public QWidget
{
    Q_OBJECT
public:
    Form1(StripModel& model, Platform& platform);
    ~Form1() override;

    // Brings the window, its captions and its timers in line with the model.
    void render();

    QLabel* label(int number) const;
    QWidget* image1() const { return image1_; }
    QTimer* timer(StripTimer which) { return &timers_[which]; }

signals:
    void timerTicked(dialoon::StripTimer which);
    void captionPressed();
    void captionMoved();
    void captionReleased();
    void menuButtonHovered();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect childRect(double left, double top, double width, double height) const;
    void applyColours();

    StripModel& model_;
    Platform& platform_;
    QLabel* label1_;
    QLabel* label2_;
    QLabel* label3_;
    QLabel* label4_;
    QWidget* shape1_;
    QLabel* image1_;
    QWidget* bar_;
    std::array<QTimer, kTimerCount> timers_;
    float renderedLabel2Top_ = -1.0f;
    int renderedBar_ = -1;
};

} // namespace dialoon
