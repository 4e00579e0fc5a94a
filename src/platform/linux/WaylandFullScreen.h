#pragma once

#include "platform/Presence.h"

// Adds the compositor's full-screen source to the presence, where it offers one;
// the log says in one line when it does not.
void addWaylandFullScreen(Presence& presence);
