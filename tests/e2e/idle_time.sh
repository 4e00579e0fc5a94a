#!/usr/bin/env bash
# The idle reading on X11 grows while nothing happens and falls after input.
source "$(dirname "$0")/lib.sh" "$@"
start_display
xdotool mousemove 100 100
sleep 0.2
first=$("$RK_PROBE" idle)
sleep 2
later=$("$RK_PROBE" idle)
check "the idle time is known on X11 ($first)" test "$first" != unknown
check "the idle time grows while nothing happens ($first -> $later)" test "$later" -ge $((first + 1500))
xdotool mousemove 300 300
after=$("$RK_PROBE" idle)
check "the idle time falls after the pointer moves ($later -> $after)" test "$after" -lt 1000
finish
