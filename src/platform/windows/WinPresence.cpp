#include "platform/Presence.h"

std::unique_ptr<Presence> createPresence(qint64 awayAfterMs)
{
    Q_UNUSED(awayAfterMs);
    auto presence = std::make_unique<Presence>();
    for (const QString& line : presence->descriptions())
        qInfo("Presence: %s", qPrintable(line));
    return presence;
}
