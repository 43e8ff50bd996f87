// The rules of the source tree's layers, checked over the files themselves: which folder may include
// which, and that the engine sees nothing of the graphical toolkit.
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

namespace dialoon {

// Finds every break of the layer rules below root, one line each ("engine/A.cpp includes app/B.h: ...").
// qtHeaders is the folder that holds Qt's module folders (QtCore, QtGui, ...).
QStringList layerViolations(const QDir& root, const QDir& qtHeaders);

} // namespace dialoon
