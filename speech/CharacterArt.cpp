// Peedy's drawing: the parts of data/character/peedy.svg, each placed according to a pose.
#include "speech/CharacterArt.h"

#include "speech/SpeechError.h"

#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

#include <algorithm>

namespace dialoon {

namespace {

// How far, in drawing units, the lower beak drops when the beak is wide open.
constexpr double kBeakDrop = 20.0;

} // namespace

CharacterArt::CharacterArt(const QString& svgPath) : svg_(std::make_unique<QSvgRenderer>(svgPath))
{
    if (!svg_->isValid())
        throw SpeechError("The character's drawing " + svgPath.toStdString() + " cannot be read");
    for (const char* id : {"body", "eye-left", "eye-right", "lid-left", "lid-right", "mouth", "beak-lower",
                           "beak-upper", "wing", "wing-pivot"}) {
        if (!svg_->elementExists(QString::fromLatin1(id)))
            throw SpeechError(std::string("The character's drawing lacks the part ") + id);
    }
    viewBox_ = svg_->viewBoxF();
    leftEye_ = svg_->boundsOnElement(QStringLiteral("eye-left"));
    rightEye_ = svg_->boundsOnElement(QStringLiteral("eye-right"));
    mouth_ = svg_->boundsOnElement(QStringLiteral("mouth"));
    wingPivot_ = svg_->boundsOnElement(QStringLiteral("wing-pivot")).center();
    const QRectF body = svg_->boundsOnElement(QStringLiteral("body"));
    feet_ = QPointF(body.center().x(), body.bottom());
}

CharacterArt::~CharacterArt() = default;

void CharacterArt::drawPart(QPainter& painter, const QString& id) const
{
    svg_->render(&painter, id, svg_->boundsOnElement(id));
}

void CharacterArt::placeAboutTheFeet(QPainter& painter, const QRectF& target, const CharacterPose& pose) const
{
    painter.translate(target.topLeft());
    painter.scale(target.width() / viewBox_.width(), target.height() / viewBox_.height());
    painter.translate(-viewBox_.topLeft());
    painter.translate(feet_);
    painter.scale(pose.scale, pose.scale * pose.breath);
    painter.translate(-feet_);
}

void CharacterArt::paint(QPainter& painter, const QRectF& target, const CharacterPose& pose) const
{
    if (pose.scale <= 0.0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    placeAboutTheFeet(painter, target, pose);

    drawPart(painter, QStringLiteral("body"));
    drawPart(painter, QStringLiteral("eye-left"));
    drawPart(painter, QStringLiteral("eye-right"));

    if (pose.lidClosure > 0.0) {
        // The lid slides down inside the eye's outline, so it never shows outside the eye.
        const auto drawLid = [&](const QRectF& eye, const QString& id) {
            painter.save();
            QPainterPath outline;
            outline.addEllipse(eye.adjusted(-2.0, -2.0, 2.0, 2.0)); // covers the eye's own outline too
            painter.setClipPath(outline, Qt::IntersectClip);
            painter.translate(0.0, -(1.0 - std::min(pose.lidClosure, 1.0)) * eye.height());
            drawPart(painter, id);
            painter.restore();
        };
        drawLid(leftEye_, QStringLiteral("lid-left"));
        drawLid(rightEye_, QStringLiteral("lid-right"));
    }

    const double open = std::clamp(pose.beakOpen, 0.0, 1.0);
    if (open > 0.0) {
        // The mouth grows downwards from under the upper beak as the lower beak drops.
        painter.save();
        painter.translate(0.0, mouth_.top());
        painter.scale(1.0, 0.35 + 0.65 * open);
        painter.translate(0.0, -mouth_.top() + open * kBeakDrop * 0.5);
        drawPart(painter, QStringLiteral("mouth"));
        painter.restore();
    }
    painter.save();
    painter.translate(0.0, open * kBeakDrop);
    drawPart(painter, QStringLiteral("beak-lower"));
    painter.restore();
    drawPart(painter, QStringLiteral("beak-upper"));

    painter.save();
    painter.translate(wingPivot_);
    painter.rotate(pose.wingAngle);
    painter.translate(-wingPivot_);
    drawPart(painter, QStringLiteral("wing"));
    painter.restore();

    painter.restore();
}

QImage CharacterArt::render(QSize logicalSize, qreal devicePixelRatio, const CharacterPose& pose) const
{
    QImage image(logicalSize * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const QRectF target(QPointF(0, 0), QSizeF(logicalSize));
    const bool atRest = pose.beakOpen <= 0.0 && pose.lidClosure <= 0.0 && pose.wingAngle == 0.0;
    if (!atRest || pose.scale <= 0.0) {
        paint(painter, target, pose);
        return image;
    }
    const QSize restSize = image.size() * 2;
    if (rest_.size() != restSize) {
        rest_ = QImage(restSize, QImage::Format_ARGB32_Premultiplied);
        rest_.fill(Qt::transparent);
        QPainter rest(&rest_);
        paint(rest, QRectF(QPointF(0, 0), QSizeF(restSize)), CharacterPose{});
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    placeAboutTheFeet(painter, target, pose);
    painter.drawImage(viewBox_, rest_);
    return image;
}

} // namespace dialoon
