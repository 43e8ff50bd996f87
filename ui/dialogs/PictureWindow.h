// A borderless window that shows the program's picture and reports a click on it: the splash at start
// and the about window.
#pragma once

#include <QWidget>

namespace dialoon {

class PictureWindow : public QWidget
{
    Q_OBJECT
public:
    PictureWindow(const char* objectName, QColor background);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class Form4 : public PictureWindow
{
    Q_OBJECT
public:
    Form4() : PictureWindow("Form4", QColor()) {}
};

class Form7 : public PictureWindow
{
    Q_OBJECT
public:
    Form7() : PictureWindow("Form7", Qt::white) {}
};

} // namespace dialoon
