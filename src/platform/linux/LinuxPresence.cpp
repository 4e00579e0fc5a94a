#include "WaylandFullScreen.h"
#include "X11Connection.h"
#include "platform/Presence.h"

#include <QLoggingCategory>

// Chosen by what the session offers; each source that is found goes to the log.
std::unique_ptr<Presence> createPresence(qint64 awayAfterMs)
{
    Q_UNUSED(awayAfterMs);
    auto presence = std::make_unique<Presence>();
    // The away sources: idle time, a locked session, sleep.
    // The quiet sources: a call (PipeWire or PulseAudio capture, an open camera),
    // a full-screen window in front, the desktop's do-not-disturb.
    if (onWayland())
        addWaylandFullScreen(*presence);
    for (const QString& line : presence->descriptions())
        qInfo("Presence: %s", qPrintable(line));
    return presence;
}
