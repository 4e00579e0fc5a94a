#pragma once

#include "platform/LastInputSource.h"


// The idle notices of the Wayland compositor Qt runs on: ext-idle-notify-v1 where it
// is offered, else KDE's org_kde_kwin_idle; null when neither is.
std::unique_ptr<LastInputSource> createWaylandIdleSource(qint64 awayAfterMs);
