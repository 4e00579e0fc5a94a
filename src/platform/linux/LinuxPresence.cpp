#include "CallSources.h"
#include "SessionSources.h"
#include "WaylandFullScreen.h"
#include "X11Connection.h"
#include "X11FullScreenSource.h"
#include "platform/IdlePresenceSource.h"
#include "platform/Presence.h"

// Chosen by what the session offers; what is found goes to the log.
std::unique_ptr<Presence> createPresence(qint64 awayAfterMs)
{
    auto presence = std::make_unique<Presence>();
    presence->addSource(AwayReason::Idle,
                        std::make_unique<IdlePresenceSource>(createLastInputSource(awayAfterMs), awayAfterMs));
    presence->addSource(AwayReason::Locked, createLogindLockSource(),
                        QStringLiteral("no logind session on the system bus"));
    presence->addSource(AwayReason::Locked, createScreenSaverSource(), QStringLiteral("no session bus"));
    presence->addSource(AwayReason::Asleep, createLogindSleepSource(), QStringLiteral("no logind on the system bus"));

    // A call: PipeWire or PulseAudio capture, an open camera.
    addCallSources(*presence);

    // A full-screen window in front.
    if (xcb_connection_t* connection = x11Connection())
        presence->addSource(QuietReason::FullScreen, createX11FullScreenSource(connection),
                            QStringLiteral("no _NET_ACTIVE_WINDOW atom"));
    else if (onWayland())
        addWaylandFullScreen(*presence);

    presence->addSource(QuietReason::DoNotDisturb, createNotificationsInhibitedSource(),
                        QStringLiteral("no session bus"));
    presence->addSource(QuietReason::DoNotDisturb, createGnomeBannersSource(),
                        QStringLiteral("no GNOME Shell on the session bus"));

    // The idle source has said its line already.
    const QStringList lines = presence->descriptions();
    for (qsizetype i = 1; i < lines.size(); ++i)
        qInfo("Presence: %s", qPrintable(lines.at(i)));
    return presence;
}
