#!/usr/bin/env bash
# The log-on entry follows the option: written at start, removed from the dialog.
source "$(dirname "$0")/lib.sh" "$@"
start_display 1280x800x24
entry=$XDG_CONFIG_HOME/autostart/RespiteKeeper.desktop

start_program
program=$E2E_LAST_PID
check "the program comes up" rk_wait_for 20 program_ready
check "the autostart entry is written at the first start" rk_wait_for 5 test -f "$entry"
check "it starts this program" grep -qx "Exec=\"$RK_PROGRAM\"" "$entry"

start_program # shows the dialog
check "the dialog shows" rk_wait_for 10 has_window 480 500
read -r dialog _ _ _ _ <<<"$(window_of_size 480 500)"
xdotool windowactivate --sync "$dialog" 2>/dev/null
xdotool mousemove --window "$dialog" 53 373 click 1 # "Start ... when system starts"
sleep 0.3
xdotool mousemove --window "$dialog" 276 471 click 1 # Apply
check "switching the option off removes the entry" rk_wait_for 5 test ! -e "$entry"
grep -q 'autoStartAtBoot=false' "$(settings_path)"
check "and the option is stored" test $? = 0

xdotool mousemove --window "$dialog" 53 373 click 1
sleep 0.3
xdotool mousemove --window "$dialog" 276 471 click 1
check "switching it on again writes the entry" rk_wait_for 5 test -f "$entry"
check "the program runs on" alive "$program"
finish
