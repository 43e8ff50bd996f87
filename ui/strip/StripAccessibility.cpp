// The strip's widgets as a screen reader sees them: their roles, their names and the menu's press.
#include "ui/strip/StripAccessibility.h"

#include "ui/strip/Caption.h"
#include "ui/strip/Form1.h"

#include <QAccessibleWidget>

namespace dialoon {
namespace {

// A caption reads as the line it shows. Its name is the sentence alone: the blanks it slides in on are
// no part of it, and a blank caption says nothing rather than borrowing a neighbour's label.
class CaptionAccessible : public QAccessibleWidget
{
public:
    explicit CaptionAccessible(QWidget* caption) : QAccessibleWidget(caption, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? widget()->accessibleName() : QAccessibleWidget::text(t);
    }
};

// The menu picture opens the menu when the pointer comes over it; a screen reader presses it instead.
class MenuButtonAccessible : public QAccessibleWidget
{
public:
    explicit MenuButtonAccessible(QWidget* picture) : QAccessibleWidget(picture, QAccessible::Button) {}

    QStringList actionNames() const override { return {pressAction()}; }
    QString localizedActionDescription(const QString& name) const override
    {
        return name == pressAction() ? QStringLiteral("Open the menu") : QString();
    }
    void doAction(const QString& name) override
    {
        auto* strip = qobject_cast<Form1*>(widget()->window());
        if (name == pressAction() && strip) strip->pressMenuButton();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* stripAccessible(const QString& className, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    if (className == QLatin1String(Caption::staticMetaObject.className()))
        return new CaptionAccessible(widget);
    // A frameless tool window is still the program's window to a screen reader, not a filler.
    if (className == QLatin1String(Form1::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::Window);
    // Other windows have pictures named Image1 too.
    if (className == QLatin1String("QLabel") && object->objectName() == QLatin1String("Image1") &&
        qobject_cast<Form1*>(widget->window()))
        return new MenuButtonAccessible(widget);
    return nullptr;
}

} // namespace

void installStripAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(stripAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace dialoon
