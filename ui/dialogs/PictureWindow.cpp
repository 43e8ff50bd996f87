// The splash and about windows.
#include "ui/dialogs/PictureWindow.h"

#include "platform/DesktopPlatform.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

namespace dialoon {

PictureWindow::PictureWindow(const char* objectName, QColor background, const DesktopPlatform& platform)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QString::fromLatin1(objectName));
    setWindowTitle(QStringLiteral("Version"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (background.isValid()) {
        QPalette p = palette();
        p.setColor(QPalette::Window, background);
        setPalette(p);
        setAutoFillBackground(true);
    }
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    const QPixmap picture(QStringLiteral(":/pictures/splash.gif"));
    image->setPixmap(picture);
    image->setGeometry(0, 0, picture.width(), picture.height());
    image->setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(picture.size());
    platform.keepOffTaskbar(*this);
}

void PictureWindow::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    emit clicked();
}

} // namespace dialoon
