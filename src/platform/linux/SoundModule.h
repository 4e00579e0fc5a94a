#pragma once

#include "platform/BreakSound.h"

// libcanberra lives in a module of its own, loaded at the first sound, so that the
// program carries neither it nor a sound server's client library while the sounds
// are off. The entry answers a player whose play() may wait on the sound server:
// it is called off the GUI thread.
#define RK_CANBERRA_SOUND_ENTRY "respitekeeperCanberraSound"

extern "C" {
using BreakSoundEntry = BreakSound* (*)();
}
