#pragma once

#include "platform/Presence.h"

// The sources of presence that Windows offers, each null where this system does not.

// A program using the device ("microphone", "webcam"), from the privacy store.
std::unique_ptr<PresenceSource> createWinDeviceUseSource(const wchar_t* device);
// A full-screen program in front, or the shell's quiet time, when looked at.
std::unique_ptr<PresenceSource> createWinNotificationStateSource(QuietReason reason);
// The session locked (AwayReason::Locked), or the machine asleep (AwayReason::Asleep).
std::unique_ptr<PresenceSource> createWinAwayNoticeSource(AwayReason reason);

// Adds every one of them that this system offers; the others go to the log.
void addWinPresenceSources(Presence& presence);
