#include "X11Connection.h"
#include "platform/LastInputSource.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

namespace {

// X11: the MIT-SCREEN-SAVER extension reports the idle time of the display Qt uses.
class X11LastInputSource : public LastInputSource
{
public:
    explicit X11LastInputSource(xcb_connection_t* connection)
        : m_connection(connection)
    {
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(m_connection, &xcb_screensaver_id);
        m_available = ext && ext->present;
        if (m_available)
            m_root = x11RootWindow(m_connection);
    }

    bool canDetectIdle() override { return m_available; }

    std::optional<qint64> millisecondsSinceLastInput() override
    {
        if (!m_available)
            return std::nullopt;
        xcb_screensaver_query_info_cookie_t cookie = xcb_screensaver_query_info(m_connection, m_root);
        xcb_screensaver_query_info_reply_t* reply = xcb_screensaver_query_info_reply(m_connection, cookie, nullptr);
        if (!reply)
            return std::nullopt;
        const qint64 idle = reply->ms_since_user_input;
        free(reply);
        return idle;
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root = 0;
    bool m_available = false;
};

// Wayland: the desktop's session idle time over D-Bus, where the desktop offers one.
class DBusLastInputSource : public LastInputSource
{
public:
    bool canDetectIdle() override { return millisecondsSinceLastInput().has_value(); }

    std::optional<qint64> millisecondsSinceLastInput() override
    {
        if (m_method == Method::Unknown || m_method == Method::FreedesktopScreenSaver) {
            if (auto idle =
                    call(QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
                         QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("GetSessionIdleTime"))) {
                m_method = Method::FreedesktopScreenSaver;
                return idle;
            }
        }
        if (m_method == Method::Unknown || m_method == Method::MutterIdleMonitor) {
            if (auto idle = call(QStringLiteral("org.gnome.Mutter.IdleMonitor"),
                                 QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"),
                                 QStringLiteral("org.gnome.Mutter.IdleMonitor"), QStringLiteral("GetIdletime"))) {
                m_method = Method::MutterIdleMonitor;
                return idle;
            }
        }
        // Neither answered the first time: the desktop offers none; stop asking.
        if (m_method == Method::Unknown)
            m_method = Method::None;
        return std::nullopt;
    }

private:
    enum class Method { Unknown, FreedesktopScreenSaver, MutterIdleMonitor, None };

    static std::optional<qint64> call(const QString& service, const QString& path, const QString& interface,
                                      const QString& method)
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return std::nullopt;
        const QDBusMessage reply =
            bus.call(QDBusMessage::createMethodCall(service, path, interface, method), QDBus::Block, 250);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return std::nullopt;
        bool ok = false;
        const qint64 idle = reply.arguments().constFirst().toLongLong(&ok);
        return ok ? std::optional<qint64>(idle) : std::nullopt;
    }

    Method m_method = Method::Unknown;
};

class UnknownLastInputSource : public LastInputSource
{
public:
    bool canDetectIdle() override { return false; }
    std::optional<qint64> millisecondsSinceLastInput() override { return std::nullopt; }
};

// Chooses the source on first use, when the GUI platform is known.
class LinuxLastInputSource : public LastInputSource
{
public:
    bool canDetectIdle() override { return source().canDetectIdle(); }
    std::optional<qint64> millisecondsSinceLastInput() override { return source().millisecondsSinceLastInput(); }

private:
    LastInputSource& source()
    {
        if (!m_source)
            m_source = choose();
        return *m_source;
    }

    static std::unique_ptr<LastInputSource> choose()
    {
        if (xcb_connection_t* connection = x11Connection())
            return std::make_unique<X11LastInputSource>(connection);
        if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
            return std::make_unique<DBusLastInputSource>();
        return std::make_unique<UnknownLastInputSource>();
    }

    std::unique_ptr<LastInputSource> m_source;
};

} // namespace

std::unique_ptr<LastInputSource> createLastInputSource()
{
    return std::make_unique<LinuxLastInputSource>();
}
