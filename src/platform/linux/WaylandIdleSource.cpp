#include "WaylandIdleSource.h"

#include "platform/NotifiedLastInputSource.h"
#include "qwayland-ext-idle-notify-v1.h"
#include "qwayland-idle.h"

#include <QtWaylandClient/QWaylandClientExtensionTemplate>
#include <wayland-client-protocol.h>

namespace {

// The globals are bound at once: Qt already knows the registry's contents.
template <typename Extension> bool bindNow(Extension& extension)
{
    QMetaObject::invokeMethod(&extension, "initialize", Qt::DirectConnection);
    return extension.isActive();
}

// A seat of our own, for the requests that name one.
class Seat : public QWaylandClientExtension
{
public:
    Seat()
        : QWaylandClientExtension(1)
    {}
    ~Seat() override
    {
        if (m_seat)
            wl_seat_destroy(m_seat);
    }
    const wl_interface* extensionInterface() const override { return &wl_seat_interface; }
    void bind(wl_registry* registry, int id, int) override
    {
        if (!m_seat)
            m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, uint32_t(id), &wl_seat_interface, 1));
    }
    wl_seat* seat() const { return m_seat; }

private:
    wl_seat* m_seat = nullptr;
};

class IdleNotifier : public QWaylandClientExtensionTemplate<IdleNotifier>, public QtWayland::ext_idle_notifier_v1
{
public:
    IdleNotifier()
        : QWaylandClientExtensionTemplate(1)
    {}
    ~IdleNotifier() override
    {
        if (isInitialized())
            destroy();
    }
};

class KdeIdle : public QWaylandClientExtensionTemplate<KdeIdle>, public QtWayland::org_kde_kwin_idle
{
public:
    KdeIdle()
        : QWaylandClientExtensionTemplate(1)
    {}
};

class ExtIdleSource : public NotifiedLastInputSource, public QtWayland::ext_idle_notification_v1
{
public:
    ExtIdleSource(qint64 awayAfterMs, IdleNotifier& notifier, wl_seat* seat)
        : NotifiedLastInputSource(awayAfterMs)
        , QtWayland::ext_idle_notification_v1(notifier.get_idle_notification(uint32_t(awayAfterMs), seat))
    {}
    ~ExtIdleSource() override { destroy(); }
    QString description() const override { return QStringLiteral("the compositor's ext-idle-notify-v1"); }

protected:
    void ext_idle_notification_v1_idled() override { noticeAway(awayAfterMs()); }
    void ext_idle_notification_v1_resumed() override { noticeBack(); }
};

class KdeIdleSource : public NotifiedLastInputSource, public QtWayland::org_kde_kwin_idle_timeout
{
public:
    KdeIdleSource(qint64 awayAfterMs, KdeIdle& idle, wl_seat* seat)
        : NotifiedLastInputSource(awayAfterMs)
        , QtWayland::org_kde_kwin_idle_timeout(idle.get_idle_timeout(seat, uint32_t(awayAfterMs)))
    {}
    ~KdeIdleSource() override { release(); }
    QString description() const override { return QStringLiteral("the compositor's org_kde_kwin_idle"); }

protected:
    void org_kde_kwin_idle_timeout_idle() override { noticeAway(awayAfterMs()); }
    void org_kde_kwin_idle_timeout_resumed() override { noticeBack(); }
};

// Keeps the globals bound for as long as the notice object lives.
template <typename Source, typename Global> class Bound : public Source
{
public:
    Bound(qint64 awayAfterMs, std::unique_ptr<Global> global, std::unique_ptr<Seat> seat)
        : Source(awayAfterMs, *global, seat->seat())
        , m_global(std::move(global))
        , m_seat(std::move(seat))
    {
        // A global the compositor withdraws ends the notices.
        QObject::connect(m_global.get(), &QWaylandClientExtension::activeChanged, m_global.get(), [this] {
            if (!m_global->isActive() && this->canDetectIdle()) {
                qWarning("The compositor withdrew its idle notices; the idle freeze is off from now on");
                this->noticeLost();
            }
        });
    }

private:
    std::unique_ptr<Global> m_global;
    std::unique_ptr<Seat> m_seat;
};

} // namespace

static std::unique_ptr<LastInputSource> createWaylandIdleSource(qint64 awayAfterMs)
{
    auto seat = std::make_unique<Seat>();
    if (!bindNow(*seat) || !seat->seat())
        return nullptr;
    if (auto notifier = std::make_unique<IdleNotifier>(); bindNow(*notifier)) {
        return std::make_unique<Bound<ExtIdleSource, IdleNotifier>>(awayAfterMs, std::move(notifier), std::move(seat));
    }
    if (auto kde = std::make_unique<KdeIdle>(); bindNow(*kde)) {
        return std::make_unique<Bound<KdeIdleSource, KdeIdle>>(awayAfterMs, std::move(kde), std::move(seat));
    }
    return nullptr;
}

extern "C" Q_DECL_EXPORT LastInputSource* respitekeeperWaylandIdleSource(qint64 awayAfterMs)
{
    return createWaylandIdleSource(awayAfterMs).release();
}
