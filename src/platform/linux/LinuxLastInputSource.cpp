#include "WaylandModule.h"
#include "X11Connection.h"
#include "platform/LastInputSource.h"
#include "platform/NotifiedLastInputSource.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QGuiApplication>

#include <cstddef>
#include <cstring>

#include <xcb/screensaver.h>
#include <xcb/sync.h>
#include <xcb/xcb.h>

namespace {

qint64 fromSyncValue(xcb_sync_int64_t value)
{
    return qint64((quint64(quint32(value.hi)) << 32) | value.lo);
}

xcb_sync_int64_t toSyncValue(qint64 value)
{
    return {int32_t(quint64(value) >> 32), uint32_t(quint64(value) & 0xffffffffu)};
}

// X11: two alarms on the SYNC extension's IDLETIME counter, one that fires when the
// idle time reaches the set time and one that fires when it falls back below it.
// Each fires once and is then inactive; each notice arms the other one again.
class X11SyncIdleSource : public NotifiedLastInputSource, public QAbstractNativeEventFilter
{
public:
    static std::unique_ptr<X11SyncIdleSource> create(xcb_connection_t* connection, qint64 awayAfterMs)
    {
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(connection, &xcb_sync_id);
        if (!ext || !ext->present)
            return nullptr;
        free(xcb_sync_initialize_reply(connection, xcb_sync_initialize(connection, 3, 1), nullptr));
        const xcb_sync_counter_t counter = idleTimeCounter(connection);
        if (counter == XCB_NONE)
            return nullptr;
        return std::unique_ptr<X11SyncIdleSource>(
            new X11SyncIdleSource(connection, counter, ext->first_event, awayAfterMs));
    }

    ~X11SyncIdleSource() override
    {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        xcb_sync_destroy_alarm(m_connection, m_awayAlarm);
        xcb_sync_destroy_alarm(m_connection, m_backAlarm);
        xcb_flush(m_connection);
    }

    QString description() const override { return QStringLiteral("the X server's IDLETIME alarms (SYNC)"); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != m_firstEvent + XCB_SYNC_ALARM_NOTIFY)
            return false;
        const auto* alarm = reinterpret_cast<const xcb_sync_alarm_notify_event_t*>(event);
        if (alarm->alarm != m_awayAlarm && alarm->alarm != m_backAlarm)
            return false;
        if (alarm->state == XCB_SYNC_ALARMSTATE_DESTROYED) {
            qWarning("The X server's idle alarm went away; the idle freeze is off from now on");
            noticeLost();
        } else if (alarm->alarm == m_awayAlarm) {
            noticeAway(fromSyncValue(alarm->counter_value));
            arm(m_backAlarm, XCB_SYNC_TESTTYPE_NEGATIVE_COMPARISON, awayAfterMs() - 1, false);
        } else {
            // Input sets the counter back to about zero; an alarm armed while the
            // counter already stood under its value (at start-up) fires at once,
            // with the idle time as it stands: no input.
            noticeBack(fromSyncValue(alarm->counter_value));
            arm(m_awayAlarm, XCB_SYNC_TESTTYPE_POSITIVE_COMPARISON, awayAfterMs(), false);
        }
        return true;
    }

private:
    X11SyncIdleSource(xcb_connection_t* connection, xcb_sync_counter_t counter, uint8_t firstEvent, qint64 awayAfterMs)
        : NotifiedLastInputSource(awayAfterMs)
        , m_connection(connection)
        , m_counter(counter)
        , m_firstEvent(firstEvent)
        , m_awayAlarm(xcb_generate_id(connection))
        , m_backAlarm(xcb_generate_id(connection))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
        // The one whose condition holds now fires at once and sets the state.
        arm(m_awayAlarm, XCB_SYNC_TESTTYPE_POSITIVE_COMPARISON, awayAfterMs, true);
        arm(m_backAlarm, XCB_SYNC_TESTTYPE_NEGATIVE_COMPARISON, awayAfterMs - 1, true);
    }

    // The list is walked by hand: each entry (counter, resolution, name length, name)
    // is padded to four bytes, which xcb's own iterator miscounts.
    static xcb_sync_counter_t idleTimeCounter(xcb_connection_t* connection)
    {
        xcb_sync_list_system_counters_reply_t* reply =
            xcb_sync_list_system_counters_reply(connection, xcb_sync_list_system_counters(connection), nullptr);
        xcb_sync_counter_t counter = XCB_NONE;
        if (!reply)
            return counter;
        const auto* entry = reinterpret_cast<const char*>(xcb_sync_list_system_counters_counters_iterator(reply).data);
        const char* const end = reinterpret_cast<const char*>(reply) + 32 + 4 * size_t(reply->length);
        constexpr size_t header = 14; // on the wire; the C struct is padded to 16
        static_assert(offsetof(xcb_sync_systemcounter_t, name_len) == 12);
        for (uint32_t i = 0; i < reply->counters_len && entry + header <= end; ++i) {
            xcb_sync_systemcounter_t item;
            std::memcpy(&item, entry, header);
            if (entry + header + item.name_len > end)
                break;
            if (QLatin1String(entry + header, item.name_len) == QLatin1String("IDLETIME"))
                counter = item.counter;
            entry += (header + item.name_len + 3) & ~size_t(3);
        }
        free(reply);
        return counter;
    }

    void arm(xcb_sync_alarm_t alarm, uint32_t test, qint64 value, bool create)
    {
        const uint32_t mask = XCB_SYNC_CA_COUNTER | XCB_SYNC_CA_VALUE_TYPE | XCB_SYNC_CA_VALUE | XCB_SYNC_CA_TEST_TYPE |
                              XCB_SYNC_CA_DELTA | XCB_SYNC_CA_EVENTS;
        const xcb_sync_create_alarm_value_list_t values{
            m_counter, XCB_SYNC_VALUETYPE_ABSOLUTE, toSyncValue(value), test, toSyncValue(0), 1};
        if (create)
            xcb_sync_create_alarm_aux(m_connection, alarm, mask, &values);
        else
            xcb_sync_change_alarm_aux(m_connection, alarm, mask,
                                      reinterpret_cast<const xcb_sync_change_alarm_value_list_t*>(&values));
        xcb_flush(m_connection);
    }

    xcb_connection_t* m_connection;
    xcb_sync_counter_t m_counter;
    uint8_t m_firstEvent;
    xcb_sync_alarm_t m_awayAlarm;
    xcb_sync_alarm_t m_backAlarm;
};

// X11 without the IDLETIME counter: the MIT-SCREEN-SAVER extension, asked each time.
class X11ScreenSaverSource : public LastInputSource
{
public:
    explicit X11ScreenSaverSource(xcb_connection_t* connection)
        : m_connection(connection)
        , m_root(x11RootWindow(connection))
    {}

    static bool offeredBy(xcb_connection_t* connection)
    {
        const xcb_query_extension_reply_t* ext = xcb_get_extension_data(connection, &xcb_screensaver_id);
        return ext && ext->present;
    }

    bool canDetectIdle() override { return true; }
    QString description() const override
    {
        return QStringLiteral("the X server's screen-saver extension, asked every second while idle");
    }

    std::optional<qint64> millisecondsSinceLastInput() override
    {
        xcb_screensaver_query_info_reply_t* reply =
            xcb_screensaver_query_info_reply(m_connection, xcb_screensaver_query_info(m_connection, m_root), nullptr);
        if (!reply)
            return std::nullopt;
        const qint64 idle = reply->ms_since_user_input;
        free(reply);
        return idle;
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root;
};

// GNOME on Wayland: Mutter's idle monitor on the session bus, with a watch that fires
// at the set idle time and a one-time watch for the next input.
class MutterIdleSource : public QObject, public NotifiedLastInputSource
{
    Q_OBJECT
public:
    static std::unique_ptr<MutterIdleSource> create(qint64 awayAfterMs)
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected() || !bus.interface()->isServiceRegistered(service()))
            return nullptr;
        std::unique_ptr<MutterIdleSource> source(new MutterIdleSource(awayAfterMs));
        if (!bus.connect(service(), path(), interface(), QStringLiteral("WatchFired"), source.get(),
                         SLOT(onWatchFired(uint))))
            return nullptr;
        source->m_awayWatch = source->addWatch(QStringLiteral("AddIdleWatch"), {quint64(awayAfterMs)});
        if (!source->m_awayWatch)
            return nullptr;
        return source;
    }

    QString description() const override { return QStringLiteral("GNOME's org.gnome.Mutter.IdleMonitor watches"); }

private slots:
    void onWatchFired(uint id)
    {
        if (id == m_awayWatch && id) {
            noticeAway(awayAfterMs());
            m_backWatch = addWatch(QStringLiteral("AddUserActiveWatch"), {});
            if (!m_backWatch)
                lose();
        } else if (id == m_backWatch && id) {
            m_backWatch = 0;
            noticeBack();
        }
    }

private:
    explicit MutterIdleSource(qint64 awayAfterMs)
        : NotifiedLastInputSource(awayAfterMs)
        , m_watcher(service(), QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForUnregistration)
    {
        connect(&m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &MutterIdleSource::lose);
    }

    static QString service() { return QStringLiteral("org.gnome.Mutter.IdleMonitor"); }
    static QString path() { return QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"); }
    static QString interface() { return QStringLiteral("org.gnome.Mutter.IdleMonitor"); }

    static uint addWatch(const QString& method, const QVariantList& arguments)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(service(), path(), interface(), method);
        call.setArguments(arguments);
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 1000);
        return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                   ? reply.arguments().constFirst().toUInt()
                   : 0;
    }

    void lose()
    {
        if (!canDetectIdle())
            return;
        qWarning("GNOME's idle monitor went away; the idle freeze is off from now on");
        noticeLost();
    }

    QDBusServiceWatcher m_watcher;
    uint m_awayWatch = 0;
    uint m_backWatch = 0;
};

std::unique_ptr<LastInputSource> createWaylandIdleSource(qint64 awayAfterMs)
{
    auto entry = reinterpret_cast<WaylandIdleSourceEntry>(waylandModuleEntry(RK_WAYLAND_IDLE_ENTRY));
    return std::unique_ptr<LastInputSource>(entry ? entry(awayAfterMs) : nullptr);
}

class UnknownLastInputSource : public LastInputSource
{
public:
    explicit UnknownLastInputSource(QString why)
        : m_why(std::move(why))
    {}
    bool canDetectIdle() override { return false; }
    std::optional<qint64> millisecondsSinceLastInput() override { return std::nullopt; }
    QString description() const override { return QStringLiteral("unknown (%1); the idle freeze is off").arg(m_why); }

private:
    QString m_why;
};

std::unique_ptr<LastInputSource> chooseLastInputSource(qint64 awayAfterMs)
{
    if (xcb_connection_t* connection = x11Connection()) {
        if (auto sync = X11SyncIdleSource::create(connection, awayAfterMs))
            return sync;
        if (X11ScreenSaverSource::offeredBy(connection))
            return std::make_unique<X11ScreenSaverSource>(connection);
        return std::make_unique<UnknownLastInputSource>(
            QStringLiteral("the X server has neither SYNC's IDLETIME nor MIT-SCREEN-SAVER"));
    }
    if (onWayland()) {
        if (auto wayland = createWaylandIdleSource(awayAfterMs))
            return wayland;
        if (auto mutter = MutterIdleSource::create(awayAfterMs))
            return mutter;
        return std::make_unique<UnknownLastInputSource>(
            (waylandModuleLoaded() ? QStringLiteral("the compositor offers neither ext-idle-notify-v1 nor "
                                                    "org_kde_kwin_idle")
                                   : QStringLiteral("the program's Wayland module is not loaded")) +
            QStringLiteral(", and no org.gnome.Mutter.IdleMonitor is on the session bus"));
    }
    return std::make_unique<UnknownLastInputSource>(
        QStringLiteral("nothing tells it on the %1 platform").arg(QGuiApplication::platformName()));
}

} // namespace

// Chosen by what the session offers, in order of cost: notices before questions.
std::unique_ptr<LastInputSource> createLastInputSource(qint64 awayAfterMs)
{
    std::unique_ptr<LastInputSource> source = chooseLastInputSource(awayAfterMs);
    qInfo("Idle time: %s", qPrintable(source->description()));
    return source;
}

#include "LinuxLastInputSource.moc"
