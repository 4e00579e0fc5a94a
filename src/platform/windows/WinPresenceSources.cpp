#include "WinPresenceSources.h"

namespace {

template <typename Reason>
void addIfOffered(Presence& presence, Reason reason, std::unique_ptr<PresenceSource> source, const char* what)
{
    if (source)
        presence.addSource(reason, std::move(source));
    else
        presence.addMissing(reason, QStringLiteral("no %1 here").arg(QLatin1String(what)));
}

} // namespace

void addWinPresenceSources(Presence& presence)
{
    addIfOffered(presence, QuietReason::Call, createWinDeviceUseSource(L"microphone"),
                 "microphone key in the privacy store");
    addIfOffered(presence, QuietReason::Call, createWinDeviceUseSource(L"webcam"), "webcam key in the privacy store");
    addIfOffered(presence, QuietReason::FullScreen, createWinNotificationStateSource(QuietReason::FullScreen), "shell");
    addIfOffered(presence, QuietReason::DoNotDisturb, createWinNotificationStateSource(QuietReason::DoNotDisturb),
                 "shell");
    addIfOffered(presence, AwayReason::Locked, createWinAwayNoticeSource(AwayReason::Locked), "session notices");
    addIfOffered(presence, AwayReason::Asleep, createWinAwayNoticeSource(AwayReason::Asleep), "notice window");
}
