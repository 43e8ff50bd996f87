// Peedy's drawing: the parts of data/character/peedy.svg, each placed according to a pose.
#pragma once

#include "speech/CharacterPose.h"

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <memory>

class QPainter;
class QSvgRenderer;

namespace dialoon {

class CharacterArt
{
public:
    // Throws SpeechError when the drawing cannot be read or lacks one of the parts the poses move.
    explicit CharacterArt(const QString& svgPath = QStringLiteral(":/character/peedy.svg"));
    ~CharacterArt();
    CharacterArt(const CharacterArt&) = delete;
    CharacterArt& operator=(const CharacterArt&) = delete;

    // Draws the pose into target, which stands for the drawing's whole square.
    void paint(QPainter& painter, const QRectF& target, const CharacterPose& pose) const;

    // The pose as an image of logicalSize points at the given device pixel ratio, on transparency.
    // Poses that only grow or breathe reuse one finer drawing of the bird at rest: they are most of the
    // frames, and scaling a picture costs a fraction of drawing the parts again.
    QImage render(QSize logicalSize, qreal devicePixelRatio, const CharacterPose& pose) const;

private:
    void drawPart(QPainter& painter, const QString& id) const;
    void placeAboutTheFeet(QPainter& painter, const QRectF& target, const CharacterPose& pose) const;

    std::unique_ptr<QSvgRenderer> svg_;
    QRectF viewBox_;
    QRectF leftEye_;
    QRectF rightEye_;
    QRectF mouth_;
    QPointF wingPivot_;
    QPointF feet_;
    mutable QImage rest_; // the bird at rest, drawn at twice the size last asked for
};

} // namespace dialoon
