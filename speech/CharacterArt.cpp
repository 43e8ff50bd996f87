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

CharacterArt::CharacterArt(const QString& svgPath) : m_svg(std::make_unique<QSvgRenderer>(svgPath))
{
    if (!m_svg->isValid())
        throw SpeechError("The character's drawing " + svgPath.toStdString() + " cannot be read");
    for (const char* id : {"body", "eye-left", "eye-right", "lid-left", "lid-right", "mouth", "beak-lower",
                           "beak-upper", "wing", "wing-pivot"}) {
        if (!m_svg->elementExists(QString::fromLatin1(id)))
            throw SpeechError(std::string("The character's drawing lacks the part ") + id);
    }
    m_viewBox = m_svg->viewBoxF();
    m_leftEye = m_svg->boundsOnElement(QStringLiteral("eye-left"));
    m_rightEye = m_svg->boundsOnElement(QStringLiteral("eye-right"));
    m_mouth = m_svg->boundsOnElement(QStringLiteral("mouth"));
    m_wingPivot = m_svg->boundsOnElement(QStringLiteral("wing-pivot")).center();
    const QRectF body = m_svg->boundsOnElement(QStringLiteral("body"));
    m_feet = QPointF(body.center().x(), body.bottom());
}

CharacterArt::~CharacterArt() = default;

void CharacterArt::drawPart(QPainter& painter, const QString& id) const
{
    m_svg->render(&painter, id, m_svg->boundsOnElement(id));
}

void CharacterArt::placeAboutTheFeet(QPainter& painter, const QRectF& target, const CharacterPose& pose) const
{
    painter.translate(target.topLeft());
    painter.scale(target.width() / m_viewBox.width(), target.height() / m_viewBox.height());
    painter.translate(-m_viewBox.topLeft());
    painter.translate(m_feet);
    painter.scale(pose.scale, pose.scale * pose.breath);
    painter.translate(-m_feet);
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
        drawLid(m_leftEye, QStringLiteral("lid-left"));
        drawLid(m_rightEye, QStringLiteral("lid-right"));
    }

    const double open = std::clamp(pose.beakOpen, 0.0, 1.0);
    if (open > 0.0) {
        // The mouth grows downwards from under the upper beak as the lower beak drops.
        painter.save();
        painter.translate(0.0, m_mouth.top());
        painter.scale(1.0, 0.35 + 0.65 * open);
        painter.translate(0.0, -m_mouth.top() + open * kBeakDrop * 0.5);
        drawPart(painter, QStringLiteral("mouth"));
        painter.restore();
    }
    painter.save();
    painter.translate(0.0, open * kBeakDrop);
    drawPart(painter, QStringLiteral("beak-lower"));
    painter.restore();
    drawPart(painter, QStringLiteral("beak-upper"));

    painter.save();
    painter.translate(m_wingPivot);
    painter.rotate(pose.wingAngle);
    painter.translate(-m_wingPivot);
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
    if (m_rest.size() != restSize) {
        m_rest = QImage(restSize, QImage::Format_ARGB32_Premultiplied);
        m_rest.fill(Qt::transparent);
        QPainter rest(&m_rest);
        paint(rest, QRectF(QPointF(0, 0), QSizeF(restSize)), CharacterPose{});
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    placeAboutTheFeet(painter, target, pose);
    painter.drawImage(m_viewBox, m_rest);
    return image;
}

} // namespace dialoon
