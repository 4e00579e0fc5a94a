#include "AlertAccessible.h"

#include <QByteArrayList>
#include <QWidget>

namespace {

QByteArrayList& alertClasses()
{
    static QByteArrayList classes;
    return classes;
}

QAccessibleInterface* createAlert(const QString& key, QObject* object)
{
    if (!object || !object->isWidgetType() || !alertClasses().contains(key.toLatin1()))
        return nullptr;
    return new AlertAccessible(static_cast<QWidget*>(object));
}

} // namespace

void AlertAccessible::installFor(const char* className)
{
    if (alertClasses().contains(className))
        return;
    if (alertClasses().isEmpty())
        QAccessible::installFactory(createAlert);
    alertClasses().append(className);
}
