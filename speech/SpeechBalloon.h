// The balloon beside the character that shows the sentence being spoken, word by word as it is heard,
// and goes a little after the voice ends: it fades where the desktop shows a window's opacity.
#pragma once

#include "base/TickTimer.h"
#include "speech/HandlerEdge.h"

#include <QRect>
#include <QString>
#include <QTextLayout>
#include <QWidget>

namespace dialoon {

class DesktopPlatform;

class SpeechBalloon : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kLingerMs = 1500; // after the voice ends, before the fade
    static constexpr int kFadeStepMs = 40;
    static constexpr int kFadeMs = 400;

    // The balloon's timers run their handlers behind the edge.
    explicit SpeechBalloon(const DesktopPlatform& platform, HandlerEdge edge = {}, QWidget* parent = nullptr);

    // Shows the balloon for text beside the character's square, with none of the words yet.
    void say(const QString& text, const QRect& character);
    void reveal(int length); // the first length characters are shown
    void revealAll() { reveal(static_cast<int>(text_.size())); }
    // Shows every word and goes after a while; a new say() cancels it.
    void linger()
    {
        revealAll();
        if (isVisible()) linger_.start();
    }
    void dismiss(); // gone at once

    // Moves beside the character again, on the side where there is room.
    void follow(const QRect& character);

    QString text() const { return text_; }
    int revealed() const { return revealed_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const DesktopPlatform& platform_;
    HandlerEdge edge_;
    QPainterPath outline() const;
    QPointF textOrigin() const;
    // Where the characters from..to stand, in the window.
    QRect textArea(int from, int to) const;
    const QImage& paper();

    QString text_;
    int revealed_ = 0;
    QTextLayout layout_;
    bool tailOnRight_ = true;
    QImage paper_; // the balloon without its words, drawn once for its size and side
    TickTimer linger_;
    TickTimer fade_;
    qreal opacity_ = 1.0;
};

} // namespace dialoon
