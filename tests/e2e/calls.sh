#!/usr/bin/env bash
# A call on the sound server: a PipeWire daemon and WirePlumber of the test's own,
# a virtual microphone, and pw-record recording from it. The program's presence
# must say "quiet: call" while it records and "free" once it stops, and again free,
# with one line in the log, when the daemon goes away. Without a PipeWire socket the
# program loads no libpipewire. Skipped where pipewire cannot start.
source "$(dirname "$0")/lib.sh" "$@"
export QT_QPA_PLATFORM=offscreen
OUT=$E2E_TMP/presence
quiet_is() { [ "$(grep '^quiet: ' "$OUT" | tail -1)" = "quiet: $1" ]; }
start() { "$@" >>"$E2E_TMP/$(basename "$1").log" 2>&1 & E2E_PIDS+=($!) && LAST=$!; }
said() { echo "--- presence:" && cat "$OUT" "$OUT.log"; } >&2

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
"$RK_PROBE" presence 60000 60 >"$OUT" 2>"$OUT.log" &
E2E_PIDS+=($!)
check "the source is PipeWire's" rk_wait_for 10 grep -q "^source: call: PipeWire's capturing streams" "$OUT"
check "nobody records: free" rk_wait_for 10 quiet_is free
pw-cli create-node adapter '{ factory.name=support.null-audio-sink node.name=rk-mic
    media.class=Audio/Source/Virtual object.linger=true audio.position=[FL FR] }' >/dev/null
start pw-record --target rk-mic "$E2E_TMP/recorded.wav" && recorder=$LAST
check "recording: a call" rk_wait_for 10 quiet_is call || said
stop_program "$recorder"
check "recording ended: free" rk_wait_for 10 quiet_is free || said
start pw-record --target rk-mic "$E2E_TMP/recorded.wav"
check "recording again: a call" rk_wait_for 10 quiet_is call || said
stop_program "$daemon"
check "the daemon went away: free" rk_wait_for 10 quiet_is free || said
check "and the log says so once" test "$(grep -c "PipeWire went away" "$OUT.log")" = 1
