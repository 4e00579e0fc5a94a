#!/usr/bin/env bash
# Switching the language in the running program's dialog changes every text at once.
source "$(dirname "$0")/lib.sh" "$@"
export LC_ALL=fr_FR.UTF-8 LANG=fr_FR.UTF-8 # a system language without translation files
start_display 1280x800x24
store_settings autoStartAtBoot=false language=en
start_program
program=$E2E_LAST_PID
check "the program comes up" rk_wait_for 20 has_tray_icon
read -r _ ix iy iw ih <<<"$(tray_icon)"

start_program # a second start shows the dialog
check "the dialog shows" rk_wait_for 10 has_window 480 500
read -r dialog _ _ _ _ <<<"$(window_of_size 480 500)"
check "the English title" test "$(xdotool getwindowname "$dialog")" = "Tolamo Settings"
xdotool windowactivate --sync "$dialog" 2>/dev/null
xdotool mousemove --window "$dialog" 166 27 click 1 # the Appearance tab

choose_language() { # KEYS...: pick an item in the language list, then Apply
    xdotool mousemove --window "$dialog" 300 71 click 1
    sleep 0.5
    xdotool key "$@" Return
    sleep 0.3
    xdotool mousemove --window "$dialog" 276 471 click 1
}
title_is() { [ "$(xdotool getwindowname "$dialog")" = "$1" ]; }

choose_language End
check "Chinese: the dialog title changes at once" rk_wait_for 5 title_is "憩安设置"
sleep 0.5
window_shot "$dialog" language-dialog-zh
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
sleep 0.8
screenshot language-menu-zh
xdotool key Escape
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2 + 2))
sleep 2.5
screenshot language-tooltip-zh

choose_language Home Down
check "English again: the title is back" rk_wait_for 5 title_is "Tolamo Settings"
choose_language Home
check "system language without a file: the source texts" rk_wait_for 5 title_is "RespiteKeeper Settings"
window_shot "$dialog" language-dialog-system
check "the program still runs" alive "$program"
finish
