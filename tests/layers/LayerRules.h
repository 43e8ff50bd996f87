// The rules of the layers, checked over the build's own targets: a file may include headers of its own
// target and of the targets its target links, directly or through others, and no more; a target links
// only targets it includes something of; and the engine sees nothing of the graphical toolkit.
#pragma once

#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>

namespace dialoon {

// One of the build's targets: its name, its source files (relative to the source tree) and the targets
// it links directly.
struct LayerTarget
{
    QString name;
    QStringList files;
    QStringList links;
};

// Reads the targets as the build describes them: one line each, "name|source folder|sources|links",
// lists separated by ';', sources absolute or relative to the source folder. Files outside root are left
// out (generated ones).
QList<LayerTarget> readLayerTargets(const QString& path, const QDir& root);

// Finds every break of the rules below root, one line each ("engine/A.cpp includes platform/posix/B.h:
// ..."). qtHeaders is the folder that holds Qt's module folders (QtCore, QtGui, ...).
QStringList layerViolations(const QDir& root, const QList<LayerTarget>& targets, const QDir& qtHeaders);

} // namespace dialoon
