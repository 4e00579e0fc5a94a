#include "CallSources.h"
#include "SessionSources.h"
#include "WaylandFullScreen.h"
#include "X11Connection.h"
#include "X11FullScreenSource.h"
#include "platform/IdlePresenceSource.h"
#include "platform/Presence.h"

namespace {

template <typename Reason>
void add(Presence& presence, Reason reason, std::unique_ptr<PresenceSource> source, const char* missing)
{
    if (source)
        presence.addSource(reason, std::move(source));
    else
        presence.addMissing(reason, QString::fromUtf8(missing));
}

} // namespace

// Chosen by what the session offers; what is found goes to the log.
std::unique_ptr<Presence> createPresence(qint64 awayAfterMs)
{
    auto presence = std::make_unique<Presence>();
    presence->addSource(AwayReason::Idle,
                        std::make_unique<IdlePresenceSource>(createLastInputSource(awayAfterMs), awayAfterMs));
    add(*presence, AwayReason::Locked, createLogindLockSource(), "no logind session on the system bus");
    add(*presence, AwayReason::Locked, createScreenSaverSource(), "no session bus");
    add(*presence, AwayReason::Asleep, createLogindSleepSource(), "no logind on the system bus");

    // A call: PipeWire or PulseAudio capture, an open camera.
    addCallSources(*presence);

    // A full-screen window in front.
    if (xcb_connection_t* connection = x11Connection())
        add(*presence, QuietReason::FullScreen, createX11FullScreenSource(connection), "no _NET_ACTIVE_WINDOW atom");
    else if (onWayland())
        addWaylandFullScreen(*presence);

    add(*presence, QuietReason::DoNotDisturb, createNotificationsInhibitedSource(), "no session bus");
    add(*presence, QuietReason::DoNotDisturb, createGnomeBannersSource(), "no GNOME Shell on the session bus");

    // The idle source has said its line already.
    const QStringList lines = presence->descriptions();
    for (qsizetype i = 1; i < lines.size(); ++i)
        qInfo("Presence: %s", qPrintable(lines.at(i)));
    return presence;
}
