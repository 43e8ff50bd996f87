// The visible outline of a picture with transparency, for windows that must keep their shape on
// desktops without a compositing window manager.
#pragma once

#include <QBitmap>
#include <QImage>

namespace dialoon {

// Set bits where the picture is not (nearly) transparent, at the picture's size in device-independent
// pixels. Never empty: a picture with nothing in it keeps one pixel, because an empty mask would mean
// "no mask" to QWidget::setMask and show the whole window.
QBitmap shapeMaskFromAlpha(const QImage& picture);

} // namespace dialoon
