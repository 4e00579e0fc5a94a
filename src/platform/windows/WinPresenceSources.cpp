#include "WinPresenceSources.h"

namespace {

template <typename Reason> void addIfOffered(Presence& presence, Reason reason, std::unique_ptr<PresenceSource> source)
{
    if (!source)
        qInfo("Presence: %s: not offered here", qPrintable(Presence::name(reason)));
    presence.addSource(reason, std::move(source));
}

} // namespace

void addWinPresenceSources(Presence& presence)
{
    addIfOffered(presence, QuietReason::Call, createWinDeviceUseSource(L"microphone"));
    addIfOffered(presence, QuietReason::Call, createWinDeviceUseSource(L"webcam"));
    addIfOffered(presence, QuietReason::FullScreen, createWinNotificationStateSource(QuietReason::FullScreen));
    addIfOffered(presence, QuietReason::DoNotDisturb, createWinNotificationStateSource(QuietReason::DoNotDisturb));
    addIfOffered(presence, AwayReason::Locked, createWinAwayNoticeSource(AwayReason::Locked));
    addIfOffered(presence, AwayReason::Asleep, createWinAwayNoticeSource(AwayReason::Asleep));
}
