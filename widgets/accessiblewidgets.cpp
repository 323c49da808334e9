#include "accessiblewidgets.h"

#include "gradbtn.h"
#include "lcd99.h"

#include <QKeySequence>

namespace {

QAccessibleInterface *interfaceFor(const QString &className, QObject *object)
{
    if (className == QLatin1String("TGradBtn"))
        return new AccessibleGradBtn(static_cast<TGradBtn *>(object));
    if (className == QLatin1String("TLCD99"))
        return new AccessibleLcd(static_cast<TLCD99 *>(object));
    if (className == QLatin1String("AnnouncerLine"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Notification);
    return nullptr;
}

} // namespace

void InstallAccessibleWidgets()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&interfaceFor);
}

AccessibleGradBtn::AccessibleGradBtn(TGradBtn *button) : QAccessibleWidget(button, QAccessible::Button) {}

TGradBtn *AccessibleGradBtn::button() const
{
    return static_cast<TGradBtn *>(widget());
}

// Blanked by the program (no caption) counts as unusable as well as hidden or disabled: a
// reader would otherwise offer a button with nothing on it that the program ignores.
bool AccessibleGradBtn::usable() const
{
    const TGradBtn *b = button();
    return b->isEnabled() && b->isVisible() && !TGradBtn::MakePlainCaption(b->Caption()).text.isEmpty();
}

QString AccessibleGradBtn::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name) {
        const QString given = button()->accessibleName();
        return given.isEmpty() ? TGradBtn::MakePlainCaption(button()->Caption()).text : given;
    }
    if (t == QAccessible::Accelerator) {
        const TGradBtn::PlainCaption plain = TGradBtn::MakePlainCaption(button()->Caption());
        if (plain.accel < 0)
            return QString();
        return QKeySequence(QKeySequence::mnemonic(button()->Caption())).toString(QKeySequence::NativeText);
    }
    return QAccessibleWidget::text(t);
}

QAccessible::State AccessibleGradBtn::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.focusable = true;
    s.pressed = !button()->IsUp();
    if (!usable())
        s.disabled = true;
    return s;
}

QStringList AccessibleGradBtn::actionNames() const
{
    QStringList names;
    if (usable())
        names << pressAction();
    for (const QString &name : QAccessibleWidget::actionNames()) {
        if (!names.contains(name))
            names << name;
    }
    return names;
}

void AccessibleGradBtn::doAction(const QString &actionName)
{
    if (actionName == pressAction()) {
        if (usable())
            button()->Click();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

QStringList AccessibleGradBtn::keyBindingsForAction(const QString &actionName) const
{
    if (actionName != pressAction())
        return QAccessibleWidget::keyBindingsForAction(actionName);
    const QString accelerator = text(QAccessible::Accelerator);
    return accelerator.isEmpty() ? QStringList() : QStringList{accelerator};
}

AccessibleLcd::AccessibleLcd(TLCD99 *display) : QAccessibleWidget(display, QAccessible::StaticText) {}

TLCD99 *AccessibleLcd::display() const
{
    return static_cast<TLCD99 *>(widget());
}

QString AccessibleLcd::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name) {
        const QString given = display()->accessibleName();
        return given.isEmpty() ? display()->Value().trimmed() : given;
    }
    if (t == QAccessible::Value)
        return display()->Value().trimmed();
    return QAccessibleWidget::text(t);
}

QAccessible::State AccessibleLcd::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    return s;
}
