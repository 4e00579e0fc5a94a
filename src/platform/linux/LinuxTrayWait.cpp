#include "X11Connection.h"
#include "platform/TrayWait.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>

int systemTrayWaitMs()
{
    // Auto-start entries start while the panel is still starting. Without any
    // desktop (the offscreen and minimal platforms) no tray can come.
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return 0;
    return 30000;
}

namespace {

bool x11TrayOwned(xcb_connection_t* connection)
{
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, x11Atom(connection, "_NET_SYSTEM_TRAY_S0")), nullptr);
    const bool owned = owner && owner->owner != XCB_WINDOW_NONE;
    free(owner);
    return owned;
}

bool statusNotifierHostRegistered()
{
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(watcher))
        return false;
    QDBusMessage get =
        QDBusMessage::createMethodCall(watcher, QStringLiteral("/StatusNotifierWatcher"),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({watcher, QStringLiteral("IsStatusNotifierHostRegistered")});
    const QDBusMessage reply = bus.call(get, QDBus::Block, 250);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

} // namespace

QString systemTrayKind()
{
    // Qt takes a StatusNotifier host before an X11 tray, so it is asked first.
    if (statusNotifierHostRegistered())
        return QStringLiteral("a StatusNotifier host on the session bus");
    if (xcb_connection_t* connection = x11Connection(); connection && x11TrayOwned(connection))
        return QStringLiteral("an X11 system tray (_NET_SYSTEM_TRAY_S0)");
    return {};
}

bool sessionHasDisplay()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}
