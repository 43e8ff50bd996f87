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
// Room around a part's outline for the width of its strokes, in drawing units.
constexpr double kStrokeRoom = 6.0;
// Frames are put together in bands of rows: Qt hands drawing of more than about a hundred rows at once
// to helper threads, and waking them costs more than a frame of this size takes on one thread.
constexpr int kBandRows = 32;

// Every part but the wing as at rest: the beak shut, the eyes open, the belly settled.
bool restingButTheWing(const CharacterPose& pose)
{
    return pose.beakOpen <= 0.0 && pose.lidClosure <= 0.0 && pose.breath == 1.0;
}

} // namespace

CharacterArt::CharacterArt(const QString& svgPath) : svg_(std::make_unique<QSvgRenderer>(svgPath))
{
    if (!svg_->isValid())
        throw SpeechError("The character's drawing " + svgPath.toStdString() + " cannot be read");
    for (const char* id : {"body", "belly", "eye-left", "eye-right", "lid-left", "lid-right", "mouth", "beak-lower",
                           "beak-upper", "wing", "wing-pivot"}) {
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
    painter.scale(pose.scale, pose.scale);
    painter.translate(-feet_);
}

void CharacterArt::swellBelly(QPainter& painter, const CharacterPose& pose) const
{
    painter.translate(bellyCentre_);
    painter.scale(pose.breath, pose.breath);
    painter.translate(-bellyCentre_);
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
    painter.save();
    swellBelly(painter, pose);
    drawPart(painter, QStringLiteral("belly"));
    painter.restore();
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
        drawPart(painter, QString::fromLatin1(id));
    return sprite;
}

void CharacterArt::prepareSprites(QSize fineSize) const
{
    if (rest_.size() == fineSize)
        return;
    rest_ = QImage(fineSize, QImage::Format_ARGB32_Premultiplied);
    rest_.fill(Qt::transparent);
    {
        QPainter rest(&rest_);
        paint(rest, QRectF(QPointF(0, 0), QSizeF(fineSize)), CharacterPose{});
    }
    const double density = fineSize.width() / viewBox_.width();
    const auto around = [this](const char* id) {
        return svg_->boundsOnElement(QString::fromLatin1(id)).adjusted(-kStrokeRoom, -kStrokeRoom, kStrokeRoom,
                                                                       kStrokeRoom);
    };
    restWithoutWing_ =
        drawnAlone({"body", "belly", "eye-left", "eye-right", "beak-lower", "beak-upper"}, viewBox_, density).image;
    bodyAndEyes_ = drawnAlone({"body", "eye-left", "eye-right"}, viewBox_, density).image;
    belly_ = drawnAlone({"belly"}, around("belly"), density);
    lidLeft_ = drawnAlone({"lid-left"}, around("lid-left"), density);
    lidRight_ = drawnAlone({"lid-right"}, around("lid-right"), density);
    mouthPart_ = drawnAlone({"mouth"}, around("mouth"), density);
    beakLower_ = drawnAlone({"beak-lower"}, around("beak-lower"), density);
    beakUpper_ = drawnAlone({"beak-upper"}, around("beak-upper"), density);
    wing_ = drawnAlone({"wing"}, around("wing"), density);
}

// The same steps as paint(), with the fine pictures of the parts in place of their outlines.
void CharacterArt::composeMoving(QPainter& painter, const CharacterPose& pose) const
{
    const auto place = [&painter](const Sprite& sprite) { painter.drawImage(sprite.bounds, sprite.image); };
    const double open = std::clamp(pose.beakOpen, 0.0, 1.0);
    if (restingButTheWing(pose)) {
        painter.drawImage(viewBox_, restWithoutWing_);
    } else {
        painter.drawImage(viewBox_, bodyAndEyes_);
        painter.save();
        swellBelly(painter, pose);
        place(belly_);
        painter.restore();
        if (pose.lidClosure > 0.0) {
            const auto drawLid = [&](const QRectF& eye, const Sprite& lid) {
                painter.save();
                QPainterPath outline;
                outline.addEllipse(eye.adjusted(-2.0, -2.0, 2.0, 2.0));
                painter.setClipPath(outline, Qt::IntersectClip);
                painter.translate(0.0, -(1.0 - std::min(pose.lidClosure, 1.0)) * eye.height());
                place(lid);
                painter.restore();
            };
            drawLid(leftEye_, lidLeft_);
            drawLid(rightEye_, lidRight_);
        }
        if (open > 0.0) {
            painter.save();
            painter.translate(0.0, mouth_.top());
            painter.scale(1.0, 0.35 + 0.65 * open);
            painter.translate(0.0, -mouth_.top() + open * kBeakDrop * 0.5);
            place(mouthPart_);
            painter.restore();
        }
        painter.save();
        painter.translate(0.0, open * kBeakDrop);
        place(beakLower_);
        painter.restore();
        place(beakUpper_);
    }
    painter.save();
    painter.translate(wingPivot_);
    painter.rotate(pose.wingAngle);
    painter.translate(-wingPivot_);
    place(wing_);
    painter.restore();
}

QImage CharacterArt::render(QSize logicalSize, qreal devicePixelRatio, const CharacterPose& pose) const
{
    QImage image(logicalSize * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    if (pose.scale <= 0.0)
        return image;
    prepareSprites(image.size() * 2);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const bool atRest = restingButTheWing(pose) && pose.wingAngle == 0.0;
    for (int top = 0; top < image.height(); top += kBandRows) {
        painter.resetTransform();
        painter.setClipRect(QRectF(0.0, top / devicePixelRatio, logicalSize.width(), kBandRows / devicePixelRatio));
        placeAboutTheFeet(painter, QRectF(QPointF(0, 0), QSizeF(logicalSize)), pose);
        if (atRest)
            painter.drawImage(viewBox_, rest_);
        else
            composeMoving(painter, pose);
    }
    return image;
}

} // namespace dialoon
