#!/usr/bin/env bash
# The idle freeze on a real X server, in real time: about eight minutes, so it is not
# in the default suite (cmake -DRK_LONG_TESTS=ON build, then ctest -R idle_freeze).
# With a break due six minutes after the start and nobody at the keyboard, the count
# stands still after five idle minutes: no popup at six. The first input lets it go
# on, and the popup comes for the minute that was left.
source "$(dirname "$0")/lib.sh" "$@"
start_display 1280x800x24
store_settings microBreakInterval=360 microBreakDuration=20 idlePauseEnabled=true autoStartAtBoot=false
xdotool mousemove 100 100
started=$(rk_now_ms)
start_program
check "the program names its idle source" rk_wait_for 20 grep -q "Idle time: the X server's IDLETIME alarms" \
    "$E2E_TMP/program.log"
# shellcheck disable=SC2034 # read by the check's eval
left=$((420 - ($(rk_now_ms) - started) / 1000))
check "no popup while nobody is there, seven minutes in" eval '! rk_wait_for $left has "$POPUP"'
back=$(rk_now_ms) && xdotool mousemove 300 300
check "the popup comes after the first input" rk_wait_for 90 has "$POPUP"
after=$((($(rk_now_ms) - back) / 1000))
check "for the minute that was left (after $after s)" test "$after" -ge 50
