// A borderless window that shows the program's picture and reports a click on it: the splash at start
// ("Form4") and the about window ("Form7", on white).
#pragma once

#include <QString>
#include <QWidget>

namespace dialoon {

class DesktopPlatform;

// The program's icon, for every window that shows one.
inline const QString kIconResource = QStringLiteral(":/pictures/icon.png");

class PictureWindow : public QWidget
{
    Q_OBJECT
public:
    PictureWindow(const char* objectName, QColor background, const DesktopPlatform& platform);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace dialoon
