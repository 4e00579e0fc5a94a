#pragma once

#include "platform/PresenceSource.h"

// The sound servers' call sources live in modules of their own, each loaded only
// where its server's socket exists, so that the program carries no libpipewire or
// libpulse where the session has neither. Each entry answers a source that is on
// while some program captures sound or video, or null when it cannot connect (the
// log says why).
//
// PipeWire: a node whose media.class is Stream/Input/Audio or Stream/Input/Video.
#define RK_PIPEWIRE_CALL_ENTRY "respitekeeperPipeWireCallSource"
// PulseAudio: a source output.
#define RK_PULSE_CALL_ENTRY "respitekeeperPulseCallSource"

extern "C" {
using CallSourceEntry = PresenceSource* (*)();
}
