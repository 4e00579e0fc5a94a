#pragma once

#include <QString>

class Presence;

// The sources that tell a call is on, as the session offers them: capturing
// streams in PipeWire, else a recording in PulseAudio (each through its module),
// and a camera opened directly.
void addCallSources(Presence& presence);

// Where a sound server's socket would be, from the environment as its clients read
// it: PipeWire's from PIPEWIRE_REMOTE, else pipewire-0, in PIPEWIRE_RUNTIME_DIR or
// XDG_RUNTIME_DIR; PulseAudio's from PULSE_SERVER ("unix:PATH"), else pulse/native
// in XDG_RUNTIME_DIR. Empty when there is no such place.
QString pipeWireSocket();
QString pulseSocket();
