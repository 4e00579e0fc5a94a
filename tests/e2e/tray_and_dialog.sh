#!/usr/bin/env bash
# The tray icon, its menu, the settings dialog, and a second start raising it.
source "$(dirname "$0")/lib.sh" "$@"
start_display 1280x800x24
store_settings autoStartAtBoot=false
start_program
program=$E2E_LAST_PID

check "the tray icon appears" rk_wait_for 20 has_tray_icon
read -r icon ix iy iw ih <<<"$(tray_icon)"
import -window root -crop 200x32+1080+768 "$RK_ARTIFACTS/tray-icon.png" 2>/dev/null
check "the tray icon is the green working picture" \
    test "$(pixel "$RK_ARTIFACTS/tray-icon.png" $((ix - 1080 + iw / 2)) $((iy - 768 + 4)))" = "srgb(46,125,50)"

xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click --repeat 2 --delay 100 1
check "a double click opens the settings dialog" rk_wait_for 10 has_window 480 500
read -r dialog _ _ _ _ <<<"$(window_of_size 480 500)"
check "the dialog has the focus" rk_wait_for 5 test "$(xdotool getwindowfocus)" = "$dialog"
for tab in general appearance shutdown about; do
    sleep 0.3
    window_shot "$dialog" "dialog-$tab"
    xdotool key ctrl+Tab
done
check "the OK button is solid blue" test "$(pixel "$RK_ARTIFACTS/dialog-general.png" 335 462)" = "srgb(0,120,212)"

xdotool key Escape
check "Escape hides the dialog" rk_wait_for 5 no_window 480 500
check "the program keeps running without its dialog" alive "$program"

start_program
wait_exit 10 "$E2E_LAST_PID"
check "a second start exits with 0 (got $E2E_CODE)" test "$E2E_CODE" = 0
check "and brings the dialog to the front" rk_wait_for 5 has_window 480 500
read -r dialog _ _ _ _ <<<"$(window_of_size 480 500)"
xdotool windowminimize --sync "$dialog"
check "the minimised dialog is hidden" rk_wait_for 5 no_window 480 500
start_program
wait_exit 10 "$E2E_LAST_PID"
check "a start restores a minimised dialog" rk_wait_for 5 has_window 480 500
state=$(xprop -id "$dialog" _NET_WM_STATE)
check "shown normally ($state)" test "${state#*HIDDEN}" = "$state"
# The close button at the right end of the window manager's title bar.
focused() { [ "$(xdotool getwindowfocus)" = "$dialog" ]; }
rk_wait_for 5 focused
frame=$(xwininfo -tree -id "$dialog" | awk '/Parent window id:/ { print $4 }')
eval "$(xwininfo -id "$frame" | awk '/Absolute upper-left X/ { print "fx=" $4 } /Absolute upper-left Y/ { print "fy=" $4 } /Width:/ { print "fw=" $2 }')"
xdotool mousemove $((fx + fw - 15)) $((fy + 14)) sleep 0.3 click 1
check "the window's close button hides the dialog" rk_wait_for 5 no_window 480 500
sleep 0.5
check "closing the dialog leaves the program running" alive "$program"

menu_window() { program_windows | awk -v d="$dialog" '$1 != d && $4 > 64 && $4 < 400 && $5 > 100 { print; exit }'; }
has_menu() { [ -n "$(menu_window)" ]; }
# The menu's entries sit at these heights in the styled menu: pause 19, test micro
# break 54, test long break 80, settings 115, quit 150.
menu_entry() { # OFFSET: open the menu and choose the entry at that height
    xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
    rk_wait_for 5 has_menu
    read -r _ mx my mw _ <<<"$(menu_window)"
    xdotool mousemove $((mx + mw / 2)) $((my + $1)) sleep 0.3 click 1
}
icon_colour() {
    import -window root -crop "${iw}x${ih}+${ix}+${iy}" "$E2E_TMP/icon.png" 2>/dev/null
    pixel "$E2E_TMP/icon.png" $((iw / 2)) 4
}
icon_is() { [ "$(icon_colour)" = "$1" ]; }

menu_entry 54
check "Test Micro Break brings the warning popup" rk_wait_for 5 has_popup
check "and the orange warning icon" rk_wait_for 3 icon_is "srgb(230,126,34)"
read -r _ px py _ ph <<<"$(popup_window)"
xdotool mousemove $((px + 180)) $((py + ph - 28)) click 1
check "Postpone on the popup hides it" rk_wait_for 5 no_popup
menu_entry 19
check "Pause for 2 hours turns the icon grey" rk_wait_for 3 icon_is "srgb(117,117,117)"
menu_entry 19
check "Resume turns it green again" rk_wait_for 3 icon_is "srgb(46,125,50)"

xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
check "a right click opens the menu" rk_wait_for 5 has_menu
read -r menu mx my mw mh <<<"$(menu_window)"
sleep 0.3
screenshot tray-menu
import -window root -crop "${mw}x${mh}+${mx}+${my}" "$RK_ARTIFACTS/tray-menu-only.png" 2>/dev/null
# Real key and pointer events throughout: events sent to a window directly
# (xdotool --window) would leave Qt's focus bookkeeping behind the window manager's.
# Quit is the last entry.
xdotool mousemove $((mx + mw / 2)) $((my + mh - 18)) sleep 0.3 click 1
wait_exit 10 "$program"
check "Quit ends the program with 0 (got $E2E_CODE)" test "$E2E_CODE" = 0
finish
