// A borderless window that shows the program's picture and reports a click on it: the splash at start
// and the about window.
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

class Form4 : public PictureWindow
{
    Q_OBJECT
public:
    explicit Form4(const DesktopPlatform& platform) : PictureWindow("Form4", QColor(), platform) {}
};

class Form7 : public PictureWindow
{
    Q_OBJECT
public:
    explicit Form7(const DesktopPlatform& platform) : PictureWindow("Form7", Qt::white, platform) {}
};

} // namespace dialoon
