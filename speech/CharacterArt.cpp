#include "speech/CharacterArt.h"

#include "base/Errors.h"

#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

#include <algorithm>

namespace dialoon {

namespace {

// How far, in drawing units, the lower beak drops when the beak is wide open.
constexpr double kBeakDrop = 20.0;
// Room around a part's outline for the width of its strokes, in drawing units.
constexpr double kStrokeRoom = 6.0;

} // namespace

CharacterArt::CharacterArt(const QString& svgPath) : svg_(std::make_unique<QSvgRenderer>(svgPath))
{
    if (!svg_->isValid())
        throw SpeechError("The character's drawing " + svgPath.toStdString() + " cannot be read");
    for (const char* id : {"body", "belly", "eye-left", "eye-right", "lid-left", "lid-right", "mouth",
                           "beak-lower", "beak-upper", "wing", "wing-pivot"}) {
        if (!svg_->elementExists(QString::fromLatin1(id)))
            throw SpeechError(std::string("The character's drawing lacks the part ") + id);
    }
    viewBox_ = svg_->viewBoxF();
    leftEye_ = svg_->boundsOnElement(QStringLiteral("eye-left"));
    rightEye_ = svg_->boundsOnElement(QStringLiteral("eye-right"));
    mouth_ = svg_->boundsOnElement(QStringLiteral("mouth"));
    wingPivot_ = svg_->boundsOnElement(QStringLiteral("wing-pivot")).center();
    bellyCentre_ = svg_->boundsOnElement(QStringLiteral("belly")).center();
    const QRectF body = svg_->boundsOnElement(QStringLiteral("body"));
    feet_ = QPointF(body.center().x(), body.bottom());
}

CharacterArt::~CharacterArt() = default;

void CharacterArt::drawPart(QPainter& painter, const char* id) const
{
    const QString name = QString::fromLatin1(id);
    svg_->render(&painter, name, svg_->boundsOnElement(name));
}

void CharacterArt::placeAboutTheFeet(QPainter& painter, const QRectF& target, const CharacterPose& pose) const
{
    painter.translate(target.topLeft());
    painter.scale(target.width() / viewBox_.width(), target.height() / viewBox_.height());
    painter.translate(-viewBox_.topLeft());
    painter.translate(feet_);
    painter.scale(pose.scale, pose.scale);
    painter.translate(-feet_);
}

void CharacterArt::compose(QPainter& painter, const CharacterPose& pose,
                           const std::function<void(const char*)>& draw) const
{
    draw("body");
    // The breath swells the belly about its centre, inside the body's outline.
    painter.save();
    painter.translate(bellyCentre_);
    painter.scale(pose.breath, pose.breath);
    painter.translate(-bellyCentre_);
    draw("belly");
    painter.restore();
    draw("eye-left");
    draw("eye-right");

    if (pose.lidClosure > 0.0) {
        // The lid slides down inside the eye's outline, so it never shows outside the eye.
        const auto drawLid = [&](const QRectF& eye, const char* id) {
            painter.save();
            QPainterPath outline;
            outline.addEllipse(eye.adjusted(-2.0, -2.0, 2.0, 2.0)); // covers the eye's own outline too
            painter.setClipPath(outline, Qt::IntersectClip);
            painter.translate(0.0, -(1.0 - std::min(pose.lidClosure, 1.0)) * eye.height());
            draw(id);
            painter.restore();
        };
        drawLid(leftEye_, "lid-left");
        drawLid(rightEye_, "lid-right");
    }

    const double open = std::clamp(pose.beakOpen, 0.0, 1.0);
    if (open > 0.0) {
        // The mouth grows downwards from under the upper beak as the lower beak drops.
        painter.save();
        painter.translate(0.0, mouth_.top());
        painter.scale(1.0, 0.35 + 0.65 * open);
        painter.translate(0.0, -mouth_.top() + open * kBeakDrop * 0.5);
        draw("mouth");
        painter.restore();
    }
    painter.save();
    painter.translate(0.0, open * kBeakDrop);
    draw("beak-lower");
    painter.restore();
    draw("beak-upper");

    painter.save();
    painter.translate(wingPivot_);
    painter.rotate(pose.wingAngle);
    painter.translate(-wingPivot_);
    draw("wing");
    painter.restore();
}

void CharacterArt::paint(QPainter& painter, const QRectF& target, const CharacterPose& pose) const
{
    if (pose.scale <= 0.0) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    placeAboutTheFeet(painter, target, pose);
    compose(painter, pose, [&](const char* id) { drawPart(painter, id); });
    painter.restore();
}

CharacterArt::Sprite CharacterArt::drawnAlone(std::initializer_list<const char*> ids, const QRectF& bounds,
                                              double density) const
{
    const QRect pixels = QRectF(bounds.topLeft() * density, bounds.size() * density).toAlignedRect();
    Sprite sprite{QImage(pixels.size(), QImage::Format_ARGB32_Premultiplied),
                  QRectF(QPointF(pixels.topLeft()) / density, QSizeF(pixels.size()) / density)};
    sprite.image.fill(Qt::transparent);
    QPainter painter(&sprite.image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(density, density);
    painter.translate(-sprite.bounds.topLeft());
    for (const char* id : ids)
        drawPart(painter, id);
    return sprite;
}

void CharacterArt::prepareSprites(QSize fineSize) const
{
    if (rest_.size() == fineSize) return;
    rest_ = QImage(fineSize, QImage::Format_ARGB32_Premultiplied);
    rest_.fill(Qt::transparent);
    {
        QPainter rest(&rest_);
        paint(rest, QRectF(QPointF(0, 0), QSizeF(fineSize)), CharacterPose{});
    }
    const double density = fineSize.width() / viewBox_.width();
    restWithoutWing_ =
        drawnAlone({"body", "belly", "eye-left", "eye-right", "beak-lower", "beak-upper"}, viewBox_, density)
            .image;
    bodyAndEyes_ = drawnAlone({"body", "eye-left", "eye-right"}, viewBox_, density).image;
    for (const char* id : {"belly", "lid-left", "lid-right", "mouth", "beak-lower", "beak-upper", "wing"}) {
        const QRectF bounds = svg_->boundsOnElement(QString::fromLatin1(id));
        parts_[id] =
            drawnAlone({id}, bounds.adjusted(-kStrokeRoom, -kStrokeRoom, kStrokeRoom, kStrokeRoom), density);
    }
}

QImage CharacterArt::render(QSize logicalSize, qreal devicePixelRatio, const CharacterPose& pose) const
{
    QImage image(logicalSize * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    if (pose.scale <= 0.0) return image;
    prepareSprites(image.size() * 2);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // The steps of paint(), with the fine pictures in place of the parts' outlines: the body's stands for
    // the eyes too, and while all but the wing rest (beak shut, eyes open, belly settled), for all those.
    const bool resting = pose.beakOpen <= 0.0 && pose.lidClosure <= 0.0 && pose.breath == 1.0;
    const auto place = [&](const char* id) {
        const std::string_view part(id);
        if (part == "body") {
            painter.drawImage(viewBox_, resting ? restWithoutWing_ : bodyAndEyes_);
        } else if (part == "wing" || (!resting && !part.starts_with("eye"))) {
            const Sprite& sprite = parts_.at(part);
            painter.drawImage(sprite.bounds, sprite.image);
        }
    };
    for (int top = 0; top < image.height(); top += kBandRows) {
        painter.resetTransform();
        painter.setClipRect(
            QRectF(0.0, top / devicePixelRatio, logicalSize.width(), kBandRows / devicePixelRatio));
        placeAboutTheFeet(painter, QRectF(QPointF(0, 0), QSizeF(logicalSize)), pose);
        if (resting && pose.wingAngle == 0.0)
            painter.drawImage(viewBox_, rest_);
        else
            compose(painter, pose, place);
    }
    return image;
}

} // namespace dialoon
