#!/usr/bin/env bash
# The idle notices, the popup before a break, the break screen in its colour, and
# the hold on keyboard and pointer while it is up: held, no other window gets them.
source "$(dirname "$0")/lib.sh" "$@"
start_display 1280x800x24
# The idle source the program uses, set to 1.5 s: told when the user is away, no
# sooner than 1.5 s after the last input, and told again at the next input.
"$RK_PROBE" idle-notices 1500 30 >"$E2E_TMP/notices" 2>"$E2E_TMP/notices.log" &
E2E_PIDS+=($!)
notices_are() { [ "$(xargs <"$E2E_TMP/notices")" = "$1" ]; }
check "the idle source starts with the user present" rk_wait_for 5 notices_are back
moved=$(rk_now_ms) && xdotool mousemove 100 100
check "and is told when the user is away" rk_wait_for 10 notices_are "back away"
waited=$(($(rk_now_ms) - moved))
check "not before 1.5 s without input (after $waited ms)" test "$waited" -ge 1500
xdotool mousemove 300 300
check "and told again at the first input" rk_wait_for 5 notices_are "back away back"
check "through the X server's alarms" grep -q "Idle time: the X server's IDLETIME alarms" "$E2E_TMP/notices.log"

store_settings microBreakInterval=3 microBreakDuration=12 backgroundColor=#2e7d32 autoStartAtBoot=false
focus=$(xdotool getwindowfocus)
start_program
check "the warning popup appears" rk_wait_for 20 has "$POPUP"
# jwm's tray takes the bottom 32 rows: the available area is 1280x768, and the
# popup ends 20 rows above it whatever its height.
placed() { read -r _ px py _ ph <<<"$(window_where "$POPUP")" && [ "$px,$((py + ph))" = 899,747 ] || { echo "at $px,$py, height $ph" >&2; false; }; }
check "in the bottom-right corner of the available area" rk_wait_for 5 placed
elsewhere() { ! focused "$focus"; }
keeps_focus() { ! rk_wait_for 2 elsewhere; }
check "and does not take the focus" keeps_focus
check "the break screen covers the whole screen" rk_wait_for 20 has "$FULL"
check "keyboard and pointer are held" input_held
check "the break screen has the stored colour, over the tray panel too" rk_wait_for 5 screen_is "srgb(46,125,50)" 20,20 1270,790
check "the break ends and the screen goes" rk_wait_for 20 no "$FULL"
check "keyboard and pointer are free after the break" input_free
check "the next break screen comes" rk_wait_for 30 has "$FULL"
check "the Postpone button shows from the first second" rk_wait_for 5 postpone_shown
xdotool mousemove 640 720 click 1
postponed() { no "$FULL" && let_go; }
check "Postpone on it ends it and frees the input at once" rk_wait_for 3 postponed
