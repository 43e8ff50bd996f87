// Popup menu.
#include "ui/dialogs/Form2.h"

namespace dialoon {

Form2::Form2()
{
    setObjectName(QStringLiteral("Form2"));
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("mnu_file"));
    menu_->setTitle(QStringLiteral("file"));

    const auto add = [this](const char* name, const QString& caption, void (Form2::*chosen)()) {
        QAction* action = menu_->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, chosen);
    };
    const auto separator = [this](const char* name) { menu_->addSeparator()->setObjectName(QString::fromLatin1(name)); };

    add("mnu_sysset", QStringLiteral("&Settings..."), &Form2::settingsChosen);
    add("mnu_hlp", QStringLiteral("&Non Read aloud"), &Form2::readAloudChosen);
    add("mnu_veri", QStringLiteral("&About..."), &Form2::aboutChosen);
    separator("f1");
    add("mnu_page", QStringLiteral("&Website"), &Form2::webPageChosen);
    add("mnu_email", QStringLiteral("E_&mail"), &Form2::emailChosen);
    separator("f2");
    add("mnu_exit", QStringLiteral("Exit"), &Form2::exitChosen);
}

QAction* Form2::item(const char* name) const
{
    return menu_->findChild<QAction*>(QString::fromLatin1(name));
}

void Form2::popUpRightAligned(QPoint topRight)
{
    if (menu_->isVisible())
        return;
    const QSize size = menu_->sizeHint();
    menu_->popup(QPoint(topRight.x() - size.width(), topRight.y()));
}

} // namespace dialoon
