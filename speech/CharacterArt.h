// Peedy's drawing: the parts of data/character/peedy.svg, each placed according to a pose.
#pragma once

#include "speech/CharacterPose.h"

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <string_view>

class QPainter;
class QSvgRenderer;

namespace dialoon {

class CharacterArt
{
public:
    // Throws SpeechError when the drawing cannot be read or lacks one of the parts the poses move.
    explicit CharacterArt(const QString& svgPath = QStringLiteral(":/character/peedy.svg"));
    ~CharacterArt();

    // Frames are drawn and copied in bands of rows: Qt hands more than about a hundred rows at once to
    // helper threads, and waking them costs more than a frame of this size takes on one thread.
    static constexpr int kBandRows = 32;

    // Draws the pose into target, which stands for the drawing's whole square.
    void paint(QPainter& painter, const QRectF& target, const CharacterPose& pose) const;

    // The pose as an image of logicalSize points at the given device pixel ratio, on transparency.
    // Poses that only grow reuse one finer drawing of the bird at rest: scaling a picture costs a
    // fraction of drawing the parts again. The other poses are put together from finer drawings of the
    // moving parts, each drawn once and then only moved.
    QImage render(QSize logicalSize, qreal devicePixelRatio, const CharacterPose& pose) const;

private:
    // A part drawn alone, finer than the screen, with the area of the drawing it covers.
    struct Sprite
    {
        QImage image;
        QRectF bounds; // in drawing units
    };

    void drawPart(QPainter& painter, const char* id) const;
    void placeAboutTheFeet(QPainter& painter, const QRectF& target, const CharacterPose& pose) const;
    // Puts the parts in their places for the pose, each drawn by draw(id).
    void compose(QPainter& painter, const CharacterPose& pose,
                 const std::function<void(const char*)>& draw) const;
    // Draws the fine pictures for this size of the whole-drawing pictures, once per size.
    void prepareSprites(QSize fineSize) const;
    Sprite drawnAlone(std::initializer_list<const char*> ids, const QRectF& bounds, double density) const;

    std::unique_ptr<QSvgRenderer> svg_;
    QRectF viewBox_;
    QRectF leftEye_;
    QRectF rightEye_;
    QRectF mouth_;
    QPointF wingPivot_;
    QPointF feet_;
    QPointF bellyCentre_;
    mutable QImage rest_; // the bird at rest, drawn at twice the size last asked for
    // At the same fineness: the bird at rest without its wing, its body and eyes alone (without the
    // belly), and each part that moves on its own.
    mutable QImage restWithoutWing_;
    mutable QImage bodyAndEyes_;
    mutable std::map<std::string_view, Sprite> parts_;
};

} // namespace dialoon
