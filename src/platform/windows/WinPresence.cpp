#include "platform/Presence.h"

#include "WinPresenceSources.h"

std::unique_ptr<Presence> createPresence(qint64 awayAfterMs)
{
    Q_UNUSED(awayAfterMs);
    auto presence = std::make_unique<Presence>();
    // Calls from the privacy store, full screen and quiet time from the shell, the
    // session's lock and sleep from its notices.
    addWinPresenceSources(*presence);
    for (const QString& line : presence->descriptions())
        qInfo("Presence: %s", qPrintable(line));
    return presence;
}
