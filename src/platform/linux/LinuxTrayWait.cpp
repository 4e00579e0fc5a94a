#include "X11Connection.h"
#include "platform/TrayWait.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>
#include <memory>

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

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString WatcherPath = QStringLiteral("/StatusNotifierWatcher");

// The screen of the display Qt opened (DISPLAY's, as xcb reads it).
int x11ScreenNumber()
{
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (!xcb_parse_display(nullptr, &host, &display, &screen))
        screen = 0;
    free(host);
    return screen;
}

// The tray selection of that screen, whose owner is the X tray.
xcb_atom_t x11TraySelection(xcb_connection_t* connection)
{
    return x11Atom(connection, QByteArray("_NET_SYSTEM_TRAY_S" + QByteArray::number(x11ScreenNumber())).constData());
}

bool x11TrayOwned(xcb_connection_t* connection)
{
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, x11TraySelection(connection)), nullptr);
    const bool owned = owner && owner->owner != XCB_WINDOW_NONE;
    free(owner);
    return owned;
}

xcb_window_t x11ScreenRoot(xcb_connection_t* connection)
{
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int n = x11ScreenNumber(); n > 0 && it.rem > 1; --n)
        xcb_screen_next(&it);
    return it.data->root;
}

// Calls back when an X tray comes: its manager sends the MANAGER client message to
// the root window once it owns the tray selection (the system tray protocol).
class X11TrayNotices : public QAbstractNativeEventFilter
{
public:
    X11TrayNotices(xcb_connection_t* connection, std::function<void()> notice)
        : m_notice(std::move(notice))
        , m_manager(x11Atom(connection, "MANAGER"))
        , m_selection(x11TraySelection(connection))
    {
        // The MANAGER message goes to whoever takes structure events on the root
        // window; added to what this client already takes there.
        const xcb_window_t root = x11ScreenRoot(connection);
        xcb_get_window_attributes_reply_t* attributes =
            xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, root), nullptr);
        const uint32_t mask = (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        free(attributes);
        // Checked: once it returns, the server sends the message to this client.
        xcb_generic_error_t* error = xcb_request_check(
            connection, xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &mask));
        free(error);
        QAbstractEventDispatcher::instance()->installNativeEventFilter(this);
    }
    ~X11TrayNotices() override
    {
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
            dispatcher->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if (type != "xcb_generic_event_t" || (event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
            return false;
        auto* client = reinterpret_cast<xcb_client_message_event_t*>(event);
        if (client->type == m_manager && client->format == 32 && client->data.data32[1] == m_selection)
            m_notice();
        return false; // Qt sees it as well
    }

private:
    const std::function<void()> m_notice;
    const xcb_atom_t m_manager;
    const xcb_atom_t m_selection;
};

// The question whether a StatusNotifier host is registered with the watcher, and
// its answer (an error where no watcher is).
QDBusMessage hostQuestion()
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        WatcherService, WatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({WatcherService, QStringLiteral("IsStatusNotifierHostRegistered")});
    return get;
}

bool hostAnswer(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

bool statusNotifierHostRegistered()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(WatcherService))
        return false;
    return hostAnswer(bus.call(hostQuestion(), QDBus::Block, 250));
}

} // namespace

bool awaitSystemTray(int waitMs)
{
    QEventLoop loop;
    xcb_connection_t* const connection = x11Connection();
    QDBusConnection bus = QDBusConnection::sessionBus();
    bool hostSeen = false;
    bool found = false;
    // Qt is asked only once the session has a tray: it decides once whether a
    // StatusNotifier host is there, and a host that came later would go unseen.
    const auto askQt = [&] {
        found = (hostSeen || (connection && x11TrayOwned(connection))) && QSystemTrayIcon::isSystemTrayAvailable();
        if (found)
            loop.quit();
    };
    // The watcher is asked without blocking: a session bus that is busy at log-on
    // answers late, and its answer is a notice of its own.
    const auto check = [&] {
        askQt();
        if (found || !bus.isConnected())
            return;
        auto* call = new QDBusPendingCallWatcher(bus.asyncCall(hostQuestion()), &loop);
        QObject::connect(call, &QDBusPendingCallWatcher::finished, &loop, [&, call] {
            call->deleteLater();
            if (!found && hostAnswer(call->reply())) {
                hostSeen = true;
                askQt();
            }
        });
    };
    // Each notice checks once, from the event loop, however many come at once.
    QTimer notice;
    notice.setSingleShot(true);
    notice.setInterval(0);
    QObject::connect(&notice, &QTimer::timeout, &loop, check);
    // The notices are taken before the first check, so that a tray that comes in
    // between is not missed: an X tray's MANAGER message, a StatusNotifier watcher
    // that comes (NameOwnerChanged), or a host that registers with the watcher.
    std::unique_ptr<X11TrayNotices> x11;
    if (connection)
        x11 = std::make_unique<X11TrayNotices>(connection, [&notice] { notice.start(); });
    std::unique_ptr<QDBusServiceWatcher> watcher;
    if (bus.isConnected()) {
        watcher = std::make_unique<QDBusServiceWatcher>(WatcherService, bus, QDBusServiceWatcher::WatchForRegistration);
        QObject::connect(watcher.get(), &QDBusServiceWatcher::serviceRegistered, &notice, qOverload<>(&QTimer::start));
        bus.connect(QString(), WatcherPath, WatcherService, QStringLiteral("StatusNotifierHostRegistered"), &notice,
                    SLOT(start()));
    }
    check();
    if (!found && waitMs > 0) {
        QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return found;
}

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
