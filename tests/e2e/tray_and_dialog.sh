#!/usr/bin/env bash
# The tray icon, its menu, the settings dialog, and a second start raising it.
source "$(dirname "$0")/lib.sh" "$@"
start_display 1280x800x24
store_settings autoStartAtBoot=false
start_program
program=$E2E_LAST_PID
check "the tray icon appears" rk_wait_for 20 has "$TRAY"
# Placed in jwm's tray (the bottom 32 rows), in the working picture's green.
docked_green() {
    read -r _ ix iy iw ih <<<"$(window_where "$TRAY")" && [ "${iy:-0}" -ge 768 ] &&
        screen_is "srgb(46,125,50)" $((ix + iw / 2)),$((iy + 4))
}
check "the tray icon is the green working picture" rk_wait_for 10 docked_green

xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click --repeat 2 --delay 100 1
check "a double click opens the settings dialog" rk_wait_for 10 has "$DIALOG"
read -r dialog _ <<<"$(window_where "$DIALOG")"
check "the dialog has the focus" rk_wait_for 5 focused "$dialog"
xdotool key Escape
check "Escape hides the dialog" rk_wait_for 5 no "$DIALOG"
check "a second start hands over" hands_over 10
check "and shows the dialog again" rk_wait_for 5 has "$DIALOG"

# The menu's entries sit at these heights in the styled menu: test micro break 54,
# quit 18 above the bottom.
menu_entry() { # OFFSET FROM THE TOP, or from the bottom when negative
    open_menu 5
    read -r _ mx my mw mh <<<"$(window_where "$MENU")"
    xdotool mousemove $((mx + mw / 2)) $((my + ($1 < 0 ? mh : 0) + $1)) sleep 0.3 click 1
}
menu_entry 54
check "Test Micro Break brings the warning popup" rk_wait_for 5 has "$POPUP"
read -r _ px py _ ph <<<"$(window_where "$POPUP")"
xdotool mousemove $((px + 180)) $((py + ph - 28)) click 1
check "Postpone on the popup hides it" rk_wait_for 5 no "$POPUP"
menu_entry -18
wait_exit 10 "$program"
check "Quit ends the program with 0 (got $E2E_CODE)" test "$E2E_CODE" = 0
