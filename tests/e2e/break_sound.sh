#!/usr/bin/env bash
# The break sounds on a sound server of the test's own: a PipeWire daemon,
# WirePlumber, PipeWire's PulseAudio server and a silent speaker. With the sounds
# off, a whole break plays nothing and libcanberra is never loaded; with them on,
# the program's playback stream shows at the break's start ("bell") and at its end
# ("complete"), libcanberra loaded only then. Where the sound server cannot be
# reached, or the desktop's event sounds are off, one line in the log for two
# breaks. Skipped where pipewire cannot start.
source "$(dirname "$0")/lib.sh" "$@"
start() { "$@" >>"$E2E_TMP/$(basename "$1").log" 2>&1 & E2E_PIDS+=($!); }
NODES=$E2E_TMP/pw-mon.log
# A stream of the program's with that event since line FROM of the monitor's log.
played() { # EVENT [FROM]
    tail -n "+${2:-1}" "$NODES" | awk -v event="event.id = \"$1\"" '/^[a-z]+:$/ { app = 0; ev = 0 }
        /application.name = "RespiteKeeper"/ { app = 1 } index($0, event) { ev = 1 } app && ev { found = 1 }
        END { exit !found }'
}
canberra_loaded() { grep -q libcanberra "/proc/$1/maps"; }
# A whole short break, from its screen's coming to its going, and the next one's
# start, by when any sound of the first has long shown.
one_break() { rk_wait_for 60 has "$FULL" && rk_wait_for 30 no "$FULL" && rk_wait_for 60 has "$FULL"; }

start_display 1280x800x24
start_session_bus
start pipewire
rk_wait_for 10 test -S "$XDG_RUNTIME_DIR/pipewire-0" || {
    echo "SKIP: pipewire did not start: $(tail -3 "$E2E_TMP/pipewire.log" | tr '\n' ' ')" >&2
    exit 77
}
start wireplumber
start pipewire-pulse
pw-cli create-node adapter '{ factory.name=support.null-audio-sink node.name=rk-speaker
    media.class=Audio/Sink object.linger=true audio.position=[FL FR] }' >/dev/null
rk_wait_for 10 test -S "$XDG_RUNTIME_DIR/pulse/native"
start pw-mon -N
rk_wait_for 10 grep -q rk-speaker "$NODES"

settings=(microBreakInterval=1 microBreakDuration=5 idlePauseEnabled=false autoStartAtBoot=false
    holdBreaksWhenBusy=false)
store_settings "${settings[@]}"
start_program
program=$E2E_LAST_PID
check "sounds off (the default): a whole break plays nothing" eval 'one_break && ! played bell &&
    ! played complete && ! grep -q "application.name = \"RespiteKeeper\"" "$NODES"'
check "and libcanberra is not loaded" eval 'alive "$program" && ! canberra_loaded "$program"'
stop_program "$program"

from=$(($(wc -l <"$NODES") + 1))
store_settings "${settings[@]}" breakSoundEnabled=true
start_program
program=$E2E_LAST_PID
check "sounds on: libcanberra is not loaded before the first sound" eval 'rk_wait_for 10 program_ready &&
    ! canberra_loaded "$program"'
check "the break's start plays the bell, on the break screen" eval 'rk_wait_for 60 played bell "$from" &&
    has "$FULL" && ! played complete "$from"'
check "its end plays \"complete\", the screen gone" eval 'rk_wait_for 30 played complete "$from" && no "$FULL"'
check "libcanberra is loaded now" canberra_loaded "$program"
check "--diagnose names the sounds and finds the server" eval '"$RK_PROGRAM" --diagnose 2>&1 |
    grep -q "^break sound: libcanberra, .*a sound server or device is there (.*respitekeeper-canberra.so)$"'
stop_program "$program"

PULSE_SERVER=unix:$E2E_TMP/none CANBERRA_DRIVER=pulse start_program
program=$E2E_LAST_PID
check "no sound server: two breaks, one line in the log, the program running" eval 'one_break &&
    test "$(grep -c "^No break sound: " "$E2E_TMP/program.log")" = 1 && alive "$program"'
stop_program "$program"

# The desktop's event sounds switched off, as gsettings tells (GNOME's key).
mkdir "$E2E_TMP/desktop-bin"
printf '#!/bin/sh\n[ "$*" = "get org.gnome.desktop.sound event-sounds" ] && echo false\n' >"$E2E_TMP/desktop-bin/gsettings"
chmod +x "$E2E_TMP/desktop-bin/gsettings"
from=$(($(wc -l <"$NODES") + 1))
PATH=$E2E_TMP/desktop-bin:$PATH start_program
program=$E2E_LAST_PID
said_off() { test "$(grep -c "^No break sound: the desktop's event sounds are off$" "$E2E_TMP/program.log")" = 1; }
check "the desktop's event sounds off: two breaks play nothing, one line in the log" eval 'one_break &&
    ! played bell "$from" && ! played complete "$from" && said_off && ! canberra_loaded "$program"'
