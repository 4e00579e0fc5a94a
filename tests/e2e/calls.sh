#!/usr/bin/env bash
# A call on the sound server: a PipeWire daemon and WirePlumber of the test's own,
# a virtual microphone, and pw-record recording from it. The program's presence
# must say "quiet: call" while it records and "free" once it stops, and again free,
# with one line in the log, when the daemon goes away. The same with PulseAudio
# (PipeWire's server of its protocol) and parecord where no PipeWire socket is
# found. Without a socket the program loads no libpipewire. Skipped where pipewire
# cannot start.
source "$(dirname "$0")/lib.sh" "$@"
export QT_QPA_PLATFORM=offscreen
OUT=$E2E_TMP/presence
quiet_is() { [ "$(grep '^quiet: ' "$OUT" | tail -1)" = "quiet: $1" ]; }
start() { "$@" >>"$E2E_TMP/$(basename "$1").log" 2>&1 & E2E_PIDS+=($!) && LAST=$!; }

# No daemon: the module is not even loaded.
PIPEWIRE_REMOTE=$E2E_TMP/none "$RK_PROBE" presence 60000 30 >"$OUT" 2>"$OUT.log" &
E2E_PIDS+=($!) && probe=$!
check "without PipeWire: free" rk_wait_for 10 quiet_is free
check "and libpipewire is not loaded" eval 'grep -q libQt6Core "/proc/$probe/maps" && ! grep -q libpipewire "/proc/$probe/maps"'
check "and the log says why" grep -q "no sound server's calls: neither $E2E_TMP/none" "$OUT.log"
kill "$probe"

start_session_bus
start pipewire && daemon=$LAST
rk_wait_for 10 test -S "$XDG_RUNTIME_DIR/pipewire-0" || {
    echo "SKIP: pipewire did not start: $(tail -3 "$E2E_TMP/pipewire.log" | tr '\n' ' ')" >&2
    exit 77
}
start wireplumber
# A microphone for WirePlumber to link the recordings to.
pw-cli create-node adapter '{ factory.name=support.null-audio-sink node.name=rk-mic
    media.class=Audio/Source/Virtual object.linger=true audio.position=[FL FR] }' >/dev/null

# PulseAudio where there is no PipeWire socket: PipeWire's own PulseAudio server
# stands in for it, and parecord records.
cat >"$E2E_TMP/pulse.conf" <<'CONF'
context.spa-libs = { support.* = support/libspa-support }
context.modules = [ { name = libpipewire-module-protocol-native } { name = libpipewire-module-client-node }
    { name = libpipewire-module-adapter } { name = libpipewire-module-metadata }
    { name = libpipewire-module-protocol-pulse args = { server.address = [ "unix:native" ] } } ]
CONF
start pipewire -c "$E2E_TMP/pulse.conf" && pulse=$LAST
rk_wait_for 10 test -S "$XDG_RUNTIME_DIR/pulse/native"
PIPEWIRE_REMOTE=$E2E_TMP/none "$RK_PROBE" presence 60000 60 >"$OUT" 2>"$OUT.log" &
E2E_PIDS+=($!) && probe=$!
check "the source is PulseAudio's" rk_wait_for 10 grep -q "^source: call: PulseAudio's recordings" "$OUT"
check "PulseAudio: nobody records, free; no libpipewire" eval 'rk_wait_for 10 quiet_is free &&
    ! grep -q libpipewire "/proc/$probe/maps"'
start parecord --device=rk-mic "$E2E_TMP/recorded.wav" && recorder=$LAST
check "PulseAudio: recording, a call" rk_wait_for 10 quiet_is call 
stop_program "$recorder"
check "PulseAudio: recording ended, free" rk_wait_for 10 quiet_is free 
start parecord --device=rk-mic "$E2E_TMP/recorded.wav"
check "PulseAudio: recording again, a call" rk_wait_for 10 quiet_is call 
stop_program "$pulse"
check "PulseAudio went away: free" rk_wait_for 10 quiet_is free 
check "and the log says so once" test "$(grep -c "PulseAudio went away" "$OUT.log")" = 1
kill "$probe"

"$RK_PROBE" presence 60000 60 >"$OUT" 2>"$OUT.log" &
E2E_PIDS+=($!)
check "the source is PipeWire's" rk_wait_for 10 grep -q "^source: call: PipeWire's capturing streams" "$OUT"
check "nobody records: free" rk_wait_for 10 quiet_is free
start pw-record --target rk-mic "$E2E_TMP/recorded.wav" && recorder=$LAST
check "recording: a call" rk_wait_for 10 quiet_is call 
stop_program "$recorder"
check "recording ended: free" rk_wait_for 10 quiet_is free 
start pw-record --target rk-mic "$E2E_TMP/recorded.wav"
check "recording again: a call" rk_wait_for 10 quiet_is call 
stop_program "$daemon"
check "the daemon went away: free" rk_wait_for 10 quiet_is free 
check "and the log says so once" test "$(grep -c "PipeWire went away" "$OUT.log")" = 1
