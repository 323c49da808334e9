#pragma once
// Reading a window's accessible tree as a screen reader walks it: which controls it would stop
// on and find without a name.

#include <QAccessible>
#include <QObject>
#include <QStringList>

namespace accessibletree {

/// The roles a reader stops on and speaks; containers and decoration are passed over.
inline bool isControl(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button: case QAccessible::CheckBox: case QAccessible::RadioButton:
    case QAccessible::MenuItem: case QAccessible::List: case QAccessible::ListItem:
    case QAccessible::EditableText: case QAccessible::StaticText: case QAccessible::Graphic:
    case QAccessible::StatusBar: case QAccessible::AlertMessage: case QAccessible::Notification: case QAccessible::PageTab:
    case QAccessible::Table: case QAccessible::Tree: case QAccessible::ComboBox: case QAccessible::SpinBox:
    case QAccessible::Slider: case QAccessible::Chart: case QAccessible::ProgressBar:
        return true;
    default:
        return false;
    }
}

/// Every visible control under iface that has no name, as "objectName (role N)".
inline QStringList namelessControls(QAccessibleInterface *iface)
{
    QStringList nameless;
    if (!iface || iface->state().invisible)
        return nameless;
    if (isControl(iface->role()) && iface->text(QAccessible::Name).trimmed().isEmpty()) {
        const QObject *object = iface->object();
        QString where = object ? object->objectName() : QString();
        if (where.isEmpty() && object)
            where = QString::fromLatin1(object->metaObject()->className());
        nameless << QStringLiteral("%1 (role %2)").arg(where).arg(int(iface->role()));
    }
    for (int i = 0; i < iface->childCount(); ++i)
        nameless << namelessControls(iface->child(i));
    return nameless;
}

/// The first visible interface under iface with role, or null.
inline QAccessibleInterface *findByRole(QAccessibleInterface *iface, QAccessible::Role role)
{
    if (!iface)
        return nullptr;
    if (iface->role() == role && !iface->state().invisible)
        return iface;
    for (int i = 0; i < iface->childCount(); ++i) {
        if (QAccessibleInterface *found = findByRole(iface->child(i), role))
            return found;
    }
    return nullptr;
}

} // namespace accessibletree
