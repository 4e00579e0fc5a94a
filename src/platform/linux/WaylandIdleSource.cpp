#include "WaylandGlobals.h"
#include "WaylandModule.h"
#include "platform/NotifiedLastInputSource.h"
#include "qwayland-ext-idle-notify-v1.h"
#include "qwayland-idle.h"

#include <QtWaylandClient/QWaylandClientExtensionTemplate>

namespace {

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
    Bound(qint64 awayAfterMs, std::unique_ptr<Global> global, std::unique_ptr<WaylandSeat> seat)
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
    std::unique_ptr<WaylandSeat> m_seat;
};

} // namespace

static std::unique_ptr<LastInputSource> createWaylandIdleSource(qint64 awayAfterMs)
{
    auto seat = std::make_unique<WaylandSeat>();
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
