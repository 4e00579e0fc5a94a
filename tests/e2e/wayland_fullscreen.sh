#!/usr/bin/env bash
# A full-screen window of another program in front holds breaks, on a headless sway:
# the program's presence, as rk-x11probe prints it, says "full screen" while the
# focused window is full screen, from the start when it already was, and "free"
# when it leaves full screen or another window takes the focus. The program's own
# windows never count.
source "$(dirname "$0")/lib.sh" "$@"
start_session_bus
"$(dirname "$RK_PROBE")/rk-snwatcher" >/dev/null &
E2E_PIDS+=($!)
start_compositor sway sway -c /dev/null || exit 77
export SWAYSOCK QT_QPA_PLATFORM=wayland
ipc_up() { SWAYSOCK=$(find "$E2E_TMP/sway/run" -maxdepth 1 -type s -name 'sway-ipc.*') && [ -n "$SWAYSOCK" ]; }
rk_wait_for 10 ipc_up || { echo "sway opened no IPC socket" >&2; exit 1; }
as_sway() { "${WL_AS[@]}" "${WL_ENV[@]}" "$@"; }
# "APP_ID FOCUSED FULLSCREEN_MODE" for each window.
windows() { swaymsg -t get_tree | jq -r '.. | objects | select(.type == "con" or .type == "floating_con") |
    select(.app_id != null) | "\(.app_id) \(.focused) \(.fullscreen_mode)"'; }
has_window() { windows | grep -q "^$1"; }
FLOWER=org.freedesktop.weston.flower
full_screen() { swaymsg "[app_id=$1] fullscreen $2" >/dev/null && rk_wait_for 5 has_window "$1 true $([ "$2" = enable ] && echo 1 || echo 0)"; }
# The probe's quiet lines so far, joined by "|".
quiet_lines() { grep '^quiet: ' "$1" | cut -c8- | paste -sd'|'; }
quiet_are() { [ "$(quiet_lines "$1")" = "$2" ]; } # OUTPUT LINES
probe() { # OUTPUT [PROBE]: a probe for 60 s in the background
    "${2:-$RK_PROBE}" presence 300000 60 >"$1" 2>"$1.log" &
    E2E_PIDS+=($!)
}

as_sway weston-flower >/dev/null 2>&1 &
E2E_PIDS+=($!)
rk_wait_for 10 has_window "$FLOWER true 0" || { echo "weston-flower did not show" >&2; exit 1; }
check "a window goes full screen before the probe starts" full_screen $FLOWER enable
OUT=$E2E_TMP/probe
probe "$OUT"
check "the probe finds the source" rk_wait_for 10 grep -q "^source: full screen: the compositor's wlr-foreign-toplevel-management" "$OUT"
check "its first answer is: full screen" rk_wait_for 10 quiet_are "$OUT" "full screen"
full_screen $FLOWER disable
check "the window leaves full screen: free" rk_wait_for 5 quiet_are "$OUT" "full screen|free"
full_screen $FLOWER enable
check "full screen again: held" rk_wait_for 5 quiet_are "$OUT" "full screen|free|full screen"
# Another window, on another workspace, takes the focus; the full-screen one stays so.
swaymsg workspace 2 >/dev/null
as_sway weston-flower >/dev/null 2>&1 &
E2E_PIDS+=($!)
check "another window takes the focus: free" rk_wait_for 10 quiet_are "$OUT" "full screen|free|full screen|free"
check "while the first stays full screen" has_window "$FLOWER false 1"
swaymsg workspace 1 >/dev/null
check "back to the full-screen window: held" rk_wait_for 5 quiet_are "$OUT" "full screen|free|full screen|free|full screen"

# The program's own window, full screen in front, holds other programs but not the
# program: a probe under the program's name (so with its app_id) stays free.
swaymsg workspace 3 >/dev/null
check "an empty workspace: free" rk_wait_for 5 quiet_are "$OUT" "full screen|free|full screen|free|full screen|free"
store_settings autoStartAtBoot=false
start_program
rk_wait_for 20 program_ready || { echo "the program did not start" >&2; exit 1; }
check "a second start shows the settings dialog" eval 'hands_over 10 && rk_wait_for 10 has_window "respitekeeper true 0"'
check "the dialog goes full screen" full_screen respitekeeper enable
check "and holds another program" rk_wait_for 5 quiet_are "$OUT" "full screen|free|full screen|free|full screen|free|full screen"
cp "$RK_PROBE" "$E2E_TMP/respitekeeper"
OWN=$E2E_TMP/own
probe "$OWN" "$E2E_TMP/respitekeeper"
check "but not the program itself" rk_wait_for 10 quiet_are "$OWN" "free"
swaymsg workspace 1 >/dev/null
check "which another program's full-screen window holds" rk_wait_for 5 quiet_are "$OWN" "free|full screen"
swaymsg workspace 3 >/dev/null
check "and its own lets go again" rk_wait_for 5 quiet_are "$OWN" "free|full screen|free"
