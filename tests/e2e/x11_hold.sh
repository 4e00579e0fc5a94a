#!/usr/bin/env bash
# A break that falls due while another program's window is full screen in front
# waits, and comes with its warning once the window leaves full screen, or after the
# longest hold (here 1 minute) however long the window stays.
source "$(dirname "$0")/lib.sh" "$@"
start_display 1280x800x24
xmessage -name rk-other -geometry 400x100+100+100 "Another program" &
E2E_PIDS+=($!)
other_window() { other=$(xdotool search --onlyvisible --classname rk-other 2>/dev/null | head -1) && [ -n "$other" ]; }
rk_wait_for 10 other_window || { fail "the other program's window shows"; exit 1; }
in_front() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$other" ]; }
full_screen() { xprop -id "$other" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN; }
front_and_full() { xdotool windowactivate "$other" 2>/dev/null; "$RK_PROBE" full-screen "$other" on && rk_wait_for 5 full_screen && rk_wait_for 5 in_front; }
check "another program's window is full screen in front, before the program starts" front_and_full

store_settings microBreakInterval=3 microBreakDuration=3 holdBreaksMaxMinutes=1 autoStartAtBoot=false
start_program
held_for() { grep -q "Break held: $1" "$E2E_TMP/program.log"; } # REASON
check "the break is held, for the full-screen window" rk_wait_for 20 held_for "full screen"
check "with no warning" no "$POPUP"
"$RK_PROBE" full-screen "$other" off
left=$(rk_now_ms)
check "the warning comes once the window leaves full screen" rk_wait_for 15 has "$POPUP"
echo "warning after $(($(rk_now_ms) - left)) ms"
check "and the break after it" rk_wait_for 20 has "$FULL"
check "the break ends" rk_wait_for 20 no "$FULL"

check "the window is full screen in front again" front_and_full
holds() { [ "$(grep -c "Break held: full screen" "$E2E_TMP/program.log")" = 2 ]; }
check "the next break is held again" rk_wait_for 20 holds
since=$(rk_now_ms)
check "its warning comes after the longest hold, with the window still full screen" rk_wait_for 90 has "$POPUP"
waited=$(($(rk_now_ms) - since))
check "no sooner than a minute after the hold began (after $waited ms)" test "$waited" -ge 55000
check "the window is still full screen" full_screen
