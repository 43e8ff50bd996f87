// The holder of the program's popup menu: settings, hiding or showing the character, about, web site,
// e-mail and exit. The window itself is never shown.
#pragma once

#include <QMenu>
#include <QWidget>

namespace dialoon {

class Form2 : public QWidget
{
    Q_OBJECT
public:
    Form2();

    QMenu* mnu_file() const { return menu_; }
    QAction* item(const char* name) const;

    // Shows the menu with its right edge at x and its top at y (screen pixels) unless it is open already.
    void popUpRightAligned(QPoint topRight);

signals:
    void settingsChosen();
    void readAloudChosen();
    void aboutChosen();
    void webPageChosen();
    void emailChosen();
    void exitChosen();

private:
    QMenu* menu_;
};

} // namespace dialoon
