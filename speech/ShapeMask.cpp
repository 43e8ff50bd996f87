// A window's shape from a picture's transparency.
#include "speech/ShapeMask.h"

#include <cmath>

namespace dialoon {

namespace {

// Edge pixels fainter than this are left out: without a compositor they would show as dark specks.
constexpr int kAlphaThreshold = 40;

} // namespace

QBitmap shapeMaskFromAlpha(const QImage& picture)
{
    const qreal ratio = picture.devicePixelRatio();
    const QSize logical(qRound(picture.width() / ratio), qRound(picture.height() / ratio));
    // Alpha reads the same premultiplied or not: only other formats need converting.
    QImage source = picture.format() == QImage::Format_ARGB32_Premultiplied
                        ? picture
                        : picture.convertToFormat(QImage::Format_ARGB32);
    if (source.size() != logical)
        source = source.scaled(logical, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    QImage bits(logical, QImage::Format_MonoLSB);
    bits.setColorCount(2);
    bits.setColor(0, qRgb(255, 255, 255)); // 0: transparent
    bits.setColor(1, qRgb(0, 0, 0));       // 1: shown
    bits.fill(0);
    bool any = false;
    // Bits written straight into the rows (least significant bit first): a call per pixel would cost
    // more than the rest of the frame.
    for (int y = 0; y < logical.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        uchar* out = bits.scanLine(y);
        for (int x = 0; x < logical.width(); ++x) {
            if (qAlpha(row[x]) >= kAlphaThreshold) {
                out[x >> 3] |= uchar(1u << (x & 7));
                any = true;
            }
        }
    }
    if (!any && !logical.isEmpty()) bits.setPixel(logical.width() / 2, logical.height() - 1, 1);
    return QBitmap::fromImage(bits, Qt::MonoOnly | Qt::ThresholdDither);
}

} // namespace dialoon
