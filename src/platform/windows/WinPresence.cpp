#include "platform/Presence.h"

#include "WinPresenceSources.h"
#include "platform/IdlePresenceSource.h"

std::unique_ptr<Presence> createPresence(qint64 awayAfterMs)
{
    auto presence = std::make_unique<Presence>();
    presence->addSource(AwayReason::Idle,
                        std::make_unique<IdlePresenceSource>(createLastInputSource(awayAfterMs), awayAfterMs));
    // Calls from the privacy store, full screen and quiet time from the shell, the
    // session's lock and sleep from its notices.
    addWinPresenceSources(*presence);
    for (const QString& line : presence->descriptions())
        qInfo("Presence: %s", qPrintable(line));
    return presence;
}
