#pragma once

#include "platform/PresenceSource.h"

#include <memory>

// Whether the user's session bus can be there, from its address alone: asked
// before Qt's D-Bus is first used, so that a session without one is spared it.
bool sessionBusThere();

// Sources of presence from the session's services on D-Bus. Each answers null where
// the session does not offer what it listens to.

// The session locked: logind's Lock and Unlock and its LockedHint.
std::unique_ptr<PresenceSource> createLogindLockSource();
// The machine asleep: logind's PrepareForSleep, with a delay lock so that the
// program hears of the sleep before it begins.
std::unique_ptr<PresenceSource> createLogindSleepSource();
// The desktop's screen saver or lock screen active (ActiveChanged).
std::unique_ptr<PresenceSource> createScreenSaverSource();
// The notification server's do-not-disturb (its Inhibited property).
std::unique_ptr<PresenceSource> createNotificationsInhibitedSource();
// GNOME's do-not-disturb: its notifications' "show banners" setting off. Only
// where GNOME Shell runs.
std::unique_ptr<PresenceSource> createGnomeBannersSource();
