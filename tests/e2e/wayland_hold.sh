#!/usr/bin/env bash
# The break screen on a Wayland compositor (a headless sway) beside a window in use:
# the countdown popup floats and ignores keys; during the break a shortcut of the
# compositor's goes to the break screen instead, the focus comes back to it when
# another window takes it (sway set to give the focus to a window that asks for it,
# not only to mark it urgent, its default), and Tab, Space postpones; after the
# break, after Postpone and after a kill the compositor has its shortcuts again.
source "$(dirname "$0")/lib.sh" "$@"
start_session_bus
"$(dirname "$RK_PROBE")/rk-snwatcher" >/dev/null &
E2E_PIDS+=($!)
# Alt+Tab and Super+F12 are bindings that do nothing but show in sway's binding
# events; Super+F12 works even while shortcuts are inhibited, so once its event is
# there, sway has dealt with every key typed before it. The events come in the order
# sway runs the bindings (the marks of an exec each would not: each runs in a
# process of its own, and a later one can finish first).
printf '%s\n' "output HEADLESS-1 resolution 800x600" "focus_on_window_activation focus" \
    "bindsym Mod1+Tab nop switched" "bindsym --inhibited Mod4+F12 nop handled" >"$E2E_TMP/sway.conf"
# -Dnoscanout: grim reads what sway draws (see wayland_break.sh).
start_compositor sway sway -Dnoscanout -c "$E2E_TMP/sway.conf" || exit 77
SWAY=$E2E_TMP/sway
# sway's IPC socket need not be there as soon as its Wayland socket is.
export SWAYSOCK
ipc_up() { SWAYSOCK=$(find "$SWAY/run" -maxdepth 1 -type s -name 'sway-ipc.*') && [ -n "$SWAYSOCK" ]; }
rk_wait_for 10 ipc_up || { echo "sway opened no IPC socket" >&2; exit 1; }
as_sway() { "${WL_AS[@]}" "${WL_ENV[@]}" "$@"; }
# The binding events, one line each; on subscribing, sway sends a first tick event.
BINDINGS=$E2E_TMP/bindings
swaymsg -m -r -t subscribe '["binding", "tick"]' >>"$BINDINGS" &
E2E_PIDS+=($!)
rk_wait_for 10 grep -q '"first": *true' "$BINDINGS" || { echo "no events from sway" >&2; exit 1; }
# Types the keys, then Super+F12, and waits until sway has dealt with them. Each
# wtype brings a keymap of its own, and Qt loses the first key after a new keymap:
# Shift goes first.
type_keys() {
    : >"$BINDINGS"
    as_sway wtype -M shift -m shift "$@" -M logo -k F12 -m logo && rk_wait_for 10 grep -q "nop handled" "$BINDINGS"
}
# Types Alt+Tab and says who took it: "compositor" or "program".
alt_tab_goes_to() {
    type_keys -M alt -k Tab -m alt || return
    if grep -q "nop switched" "$BINDINGS"; then [ "$1" = compositor ]; else [ "$1" = program ]; fi
}
holds() { [ "$(grep -c "shortcuts go to the break screen" "$E2E_TMP/program.log")" -ge "$1" ]; }
releases() { [ "$(grep -c "shortcuts are its own again" "$E2E_TMP/program.log")" -ge "$1" ]; }
windows() { swaymsg -t get_tree | jq -r '.. | objects | select(.type == "con" or .type == "floating_con") |
    "\(.app_id) \(.type) \(.rect.width) \(.focused) \(.fullscreen_mode)"' | sort; }

# The window the user works in.
as_sway weston-flower >/dev/null 2>&1 &
E2E_PIDS+=($!)
rk_wait_for 10 eval 'windows | grep -q flower'

export QT_QPA_PLATFORM=wayland QT_LOGGING_RULES="respitekeeper.hold.debug=true"
store_settings microBreakInterval=12 microBreakDuration=20 autoStartAtBoot=false
start_program
check "before the break, Alt+Tab is the compositor's" alt_tab_goes_to compositor
# sway floats a window of fixed size, and gives it the focus: the keys typed next go to it.
popup_floats() { windows | grep -q "^respitekeeper floating_con 360 true " && windows | grep -q "flower con 800 "; }
check "the countdown popup floats; the window in use keeps the whole output" rk_wait_for 20 popup_floats
type_keys " " -k Return
check "the break holds the compositor's shortcuts (keys typed into the popup did not postpone)" rk_wait_for 40 holds 1
check "Alt+Tab during the break goes to the break screen" alt_tab_goes_to program
# Another window takes the focus (sway then ends the break screen's full screen).
focus_flower() { swaymsg '[app_id=org.freedesktop.weston.flower] focus' >/dev/null; }
in_front() { windows | grep -q "^respitekeeper con 800 true 1$"; }
check "another window takes the focus" rk_wait_for 10 focus_flower
check "the break screen takes it back, full screen" rk_wait_for 5 in_front
check "after the break, Alt+Tab is the compositor's again" eval 'rk_wait_for 40 releases 1 && alt_tab_goes_to compositor'

check "the next break holds them again" rk_wait_for 40 holds 2
# The button's text in the row near the bottom edge: more than the break colour there.
postpone_shown() { grim -o HEADLESS-1 "$E2E_TMP/shot.png" && [ "$(convert "$E2E_TMP/shot.png" -crop 200x40+300+500 -format %k info:)" -gt 1 ]; }
check "its Postpone button shows" rk_wait_for 5 postpone_shown
# Each wtype brings a new keymap, and now and then Qt drops more than the one key
# after it (seen about once in fifteen runs, also before these checks): Tab, Space
# again while the button shows. The button shows for the break's first 10 s only,
# which a loaded machine can use up between the tries; then the next break's button
# is tried, three breaks at most. Postpone released the break when the release
# comes within 2 s of the keys and within 16 s of the break's start as seen here,
# so never by the break's end after 20 s.
BREAK=2
BREAK_SEEN=$(rk_now_ms)
postponed() { releases "$BREAK" && [ $(($(rk_now_ms) - BREAK_SEEN)) -lt 16000 ]; }
press_postpone() {
    local try
    for try in 1 2 3; do
        rk_wait_for 5 postpone_shown || break
        type_keys -k Tab " " && rk_wait_for 2 releases "$BREAK" && postponed && return 0
    done
    return 1
}
postpone_in_a_break() {
    while [ "$BREAK" -le 4 ]; do
        press_postpone && return 0
        echo "note: Postpone not pressed in break $BREAK, while its button showed; the next break's is tried"
        BREAK=$((BREAK + 1))
        rk_wait_for 60 holds "$BREAK" || return 1
        BREAK_SEEN=$(rk_now_ms)
    done
    return 1
}
check "Tab, Space presses Postpone: Alt+Tab is the compositor's long before the break's 20 s" \
    eval 'postpone_in_a_break && alt_tab_goes_to compositor'

stop_program "$E2E_LAST_PID"
start_program
check "a new start's first break holds them" rk_wait_for 60 holds $((BREAK + 1))
stop_program "$E2E_LAST_PID" KILL
check "a killed program leaves them to the compositor" alt_tab_goes_to compositor
