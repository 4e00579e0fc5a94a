#include "WindowAccessible.h"

#include <QHash>
#include <QWidget>

namespace {

QHash<QString, QAccessible::Role>& windowRoles()
{
    static QHash<QString, QAccessible::Role> roles;
    return roles;
}

QAccessibleInterface* createWindow(const QString& key, QObject* object)
{
    const auto role = windowRoles().constFind(key);
    if (!object || !object->isWidgetType() || role == windowRoles().cend())
        return nullptr;
    return new WindowAccessible(static_cast<QWidget*>(object), *role);
}

} // namespace

void WindowAccessible::installFor(const char* className, QAccessible::Role role)
{
    if (windowRoles().isEmpty())
        QAccessible::installFactory(createWindow);
    windowRoles().insert(QString::fromLatin1(className), role);
}
