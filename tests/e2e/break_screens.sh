#!/usr/bin/env bash
# The popup before a break, the break screen in its colour, and the hold on
# keyboard and pointer while it is up.
source "$(dirname "$0")/lib.sh" "$@"
start_display 1280x800x24

# A window of another program that records the keys and clicks it gets.
xev -name rk-recorder -geometry 320x200+40+40 -event keyboard -event button >"$E2E_TMP/recorded" &
E2E_PIDS+=($!)
rk_wait_for 5 test -s "$E2E_TMP/recorded"
recorder=$(($(sed -n "s/^Outer window is \(0x[0-9a-f]*\),.*/\1/p" "$E2E_TMP/recorded"))) # in decimal, as xdotool prints ids
xdotool windowactivate --sync "$recorder" 2>/dev/null || xdotool windowfocus --sync "$recorder"
xdotool type --delay 20 ab
keys_at_least() { [ "$(grep -c '^KeyPress' "$E2E_TMP/recorded")" -ge "$1" ]; }
rk_wait_for 3 keys_at_least 2
check "the recorder window gets keys before the break" keys_at_least 2

store_settings microBreakInterval=3 microBreakDuration=12 backgroundColor=#2e7d32 autoStartAtBoot=false \
    postponeEnabled=true
start_program
program=$E2E_LAST_PID

check "the warning popup appears" rk_wait_for 20 has_popup
read -r popup px py _ ph <<<"$(popup_window)"
# jwm's tray takes the bottom 32 rows: the available area is 1280x768.
check "the popup sits in the bottom-right corner ($px,$py)" test "$px,$py" = "899,607"
check "the popup stays inside the available area (height $ph)" test $((py + ph)) -le 768
check "the popup leaves the focus where it was" test "$(xdotool getwindowfocus)" = "$recorder"
screenshot break-popup

check "the break screen covers the whole screen" rk_wait_for 20 has_window 1280 800
check "the popup is gone when the break begins" no_popup
check "keyboard and pointer are held" rk_wait_for 3 grab_state_is "keyboard=held pointer=held"
screenshot break-overlay
check "the break screen has the stored colour" test "$(pixel "$RK_ARTIFACTS/break-overlay.png" 20 20)" = "srgb(46,125,50)"
keys_before=$(grep -c '^KeyPress' "$E2E_TMP/recorded")
xdotool type --delay 20 secret
xdotool click 1
sleep 0.5
check "no key or click reaches the other window during the break" \
    test "$(grep -c -E '^(KeyPress|ButtonPress)' "$E2E_TMP/recorded")" = "$keys_before"

check "the break ends and the screen goes" rk_wait_for 20 no_window 1280 800
check "keyboard and pointer are free after the break" \
    rk_wait_for 3 grab_state_is "keyboard=free pointer=free"
xdotool windowactivate --sync "$recorder" 2>/dev/null || xdotool windowfocus --sync "$recorder"
xdotool type --delay 20 ok
check "keys reach the other window again" rk_wait_for 3 keys_at_least $((keys_before + 2))

# Postpone on the break screen, while the settings dialog's colour picker is open:
# the screen goes and the input is free at once.
start_program # shows the dialog
check "the dialog shows" rk_wait_for 10 has_window 480 500
read -r dialog _ _ _ _ <<<"$(window_of_size 480 500)"
xdotool mousemove --window "$dialog" 166 27 click 1 # the Appearance tab
sleep 0.3
xdotool mousemove --window "$dialog" 300 115 click 1 # the colour button
picker_open() { xdotool search --onlyvisible --name "Select Background Color" >/dev/null 2>&1; }
check "the colour picker is open" rk_wait_for 5 picker_open
check "the next break screen comes" rk_wait_for 30 has_window 1280 800
sleep 1.5 # the button shows after the first second
# The button row sits 60 pixels above the bottom edge, in the middle.
xdotool mousemove 640 720 click 1
check "Postpone ends the break screen" rk_wait_for 5 no_window 1280 800
check "and frees the input" rk_wait_for 3 grab_state_is "keyboard=free pointer=free"

kill -TERM "$program"
wait "$program" 2>/dev/null

# A program killed during a break leaves nothing held.
store_settings microBreakInterval=2 microBreakDuration=60 autoStartAtBoot=false
start_program
program=$E2E_LAST_PID
check "a break screen comes up again" rk_wait_for 30 has_window 1280 800
check "and holds the input" rk_wait_for 3 grab_state_is "keyboard=held pointer=held"
kill -KILL "$program"
wait "$program" 2>/dev/null
check "after kill -9 keyboard and pointer are free" \
    rk_wait_for 3 grab_state_is "keyboard=free pointer=free"
finish
