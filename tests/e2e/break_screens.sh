#!/usr/bin/env bash
# The idle reading, the popup before a break, the break screen in its colour, and
# the hold on keyboard and pointer while it is up: held, no other window gets them.
source "$(dirname "$0")/lib.sh" "$@"
start_display 1280x800x24
xdotool mousemove 100 100
first=$("$RK_PROBE" idle)
grown() { later=$("$RK_PROBE" idle) && [ "$first" != unknown ] && [ "$later" -ge $((first + 1500)) ]; }
check "the idle time grows while nothing happens (from $first)" rk_wait_for 10 grown
after=$(xdotool mousemove 300 300 && "$RK_PROBE" idle)
check "and falls after the pointer moves ($later -> $after)" test "$after" -lt "$later"

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
# The button row sits 60 pixels above the bottom edge; its text shows from the first second.
button_text=()
for x in $(seq 600 4 680); do button_text+=("$x,718" "$x,722"); done
button_shown() { screen_is "srgb(46,125,50)" 20,20 1270,790 && ! screen_is "srgb(46,125,50)" "${button_text[@]}"; }
check "the Postpone button shows" rk_wait_for 5 button_shown
xdotool mousemove 640 720 click 1
postponed() { no "$FULL" && let_go; }
check "Postpone on it ends it and frees the input at once" rk_wait_for 3 postponed
