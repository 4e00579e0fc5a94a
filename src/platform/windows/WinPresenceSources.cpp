#include "WinPresenceSources.h"

void addWinPresenceSources(Presence& presence)
{
    presence.addSource(QuietReason::Call, createWinDeviceUseSource(L"microphone"),
                       QStringLiteral("no microphone key in the privacy store here"));
    presence.addSource(QuietReason::Call, createWinDeviceUseSource(L"webcam"),
                       QStringLiteral("no webcam key in the privacy store here"));
    presence.addSource(QuietReason::FullScreen, createWinNotificationStateSource(QuietReason::FullScreen),
                       QStringLiteral("no shell here"));
    presence.addSource(QuietReason::DoNotDisturb, createWinNotificationStateSource(QuietReason::DoNotDisturb),
                       QStringLiteral("no shell here"));
    presence.addSource(AwayReason::Locked, createWinAwayNoticeSource(AwayReason::Locked),
                       QStringLiteral("no session notices here"));
    presence.addSource(AwayReason::Asleep, createWinAwayNoticeSource(AwayReason::Asleep),
                       QStringLiteral("no notice window here"));
}
