#!/usr/bin/env bash
# The hold on a Wayland compositor (a headless sway): while a break is shown, a
# shortcut of the compositor's goes to the break screen instead, and the focus comes
# back to it when another window takes it (sway set to give the focus to a window
# that asks for it, not only mark it urgent, its default); after the break, and after the program
# is killed during one, the compositor has its shortcuts again.
source "$(dirname "$0")/lib.sh" "$@"
start_session_bus
"$(dirname "$RK_PROBE")/rk-snwatcher" >/dev/null &
E2E_PIDS+=($!)
# Alt+Tab leaves a mark; Super+F12 works even while shortcuts are inhibited, so once
# its mark is there, sway has dealt with every key typed before it.
printf '%s\n' "output HEADLESS-1 resolution 800x600" "focus_on_window_activation focus" "bindsym Mod1+Tab exec touch switched" \
    "bindsym --inhibited Mod4+F12 exec touch handled" >"$E2E_TMP/sway.conf"
start_compositor sway sway -c "$E2E_TMP/sway.conf" || exit 77
SWAY=$E2E_TMP/sway
export SWAYSOCK
SWAYSOCK=$(find "$SWAY/run" -maxdepth 1 -type s -name 'sway-ipc.*')
as_sway() { "${WL_AS[@]}" "${WL_ENV[@]}" "$@"; }
# Types Alt+Tab and says who took it: "compositor" or "program".
alt_tab() {
    rm -f "$SWAY/switched" "$SWAY/handled"
    as_sway wtype -M alt -k Tab -m alt -M logo -k F12 -m logo
    rk_wait_for 10 test -e "$SWAY/handled" || return
    if [ -e "$SWAY/switched" ]; then echo compositor; else echo program; fi
}
alt_tab_goes_to() { [ "$(alt_tab)" = "$1" ]; }
log_has() { [ "$(grep -c "$1" "$E2E_TMP/program.log")" -ge "${2:-1}" ]; }

windows() { swaymsg -t get_tree | jq -r '.. | objects | select(.type == "con" or .type == "floating_con") |
    "\(.app_id) \(.type) \(.rect.width) \(.focused) \(.fullscreen_mode)"' | sort; }
# The window the user works in.
as_sway weston-flower >/dev/null 2>&1 &
E2E_PIDS+=($!)
rk_wait_for 10 eval 'windows | grep -q flower'

export QT_QPA_PLATFORM=wayland QT_LOGGING_RULES="respitekeeper.hold.debug=true"
store_settings microBreakInterval=12 microBreakDuration=15 autoStartAtBoot=false
start_program
check "before the break, Alt+Tab is the compositor's" alt_tab_goes_to compositor
# sway floats a window of fixed size, and gives it the focus: the keys typed next go to the popup.
popup_floats() { windows | grep -q "^respitekeeper floating_con 360 true " && windows | grep -q "flower con 800 "; }
check "the countdown popup floats; the window in use keeps the whole output" rk_wait_for 20 popup_floats
as_sway wtype " " -k Return
check "the break holds the compositor's shortcuts (a key typed into the popup did not postpone)" \
    rk_wait_for 40 log_has "shortcuts go to the break screen"
check "Alt+Tab during the break goes to the break screen" alt_tab_goes_to program
# Another window takes the focus (sway then ends the break screen's full screen).
focus_flower() { swaymsg '[app_id=org.freedesktop.weston.flower] focus' >/dev/null; }
in_front() { windows | grep -q "^respitekeeper con 800 true 1$"; }
check "another window takes the focus" rk_wait_for 10 focus_flower
check "the break screen takes it back, full screen" rk_wait_for 5 in_front
released() { rk_wait_for 30 log_has "shortcuts are its own again" && alt_tab_goes_to compositor; }
check "after the break, Alt+Tab is the compositor's again" released
check "the next break holds them again" rk_wait_for 40 log_has "shortcuts go to the break screen" 2
stop_program "$E2E_LAST_PID" KILL
check "a killed program leaves them to the compositor" alt_tab_goes_to compositor
