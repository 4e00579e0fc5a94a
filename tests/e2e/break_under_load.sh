#!/usr/bin/env bash
# The break screen on a loaded machine: both cores busy, a break every 14 seconds,
# and a window manager that answers late around the end of each break. Every break
# screen must hold the input within a second of coming up and go, with the input
# free, within a second of the break's end; also when a break begins while the
# tray menu is open.
source "$(dirname "$0")/lib.sh" "$@"
for _ in 1 2; do
    (while :; do :; done) &
    E2E_PIDS+=($!)
done
start_display 1280x800x24
store_settings microBreakInterval=1 microBreakDuration=3 idlePauseEnabled=false autoStartAtBoot=false
start_program
"$RK_PROBE" watch-breaks "$E2E_TMP/stop-watching" 240 >"$E2E_TMP/watch" &
watcher=$!
count() { grep -c " $1\$" "$E2E_TMP/watch"; }
at_least() { [ "$(count "$1")" -ge "$2" ]; }
for n in 1 2 3 4 5; do
    rk_wait_for 60 at_least up "$n" || break
    # The window manager stalls over the break's end: the program's requests reach
    # it late, as they do when it is starved of time.
    sleep 2
    kill -STOP "$RK_WM_PID"
    sleep 2
    kill -CONT "$RK_WM_PID"
done
# The next break begins while the program's tray menu is open.
rk_wait_for 30 at_least down "$(count up)"
read -r _ ix iy iw ih <<<"$(window_where "$TRAY")"
open_menu() {
    xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
    rk_wait_for 1 has 'w > 64 && w < 400 && h > 100 && h < 400'
}
shown=$(count up)
check "the tray menu opens before the last break" rk_wait_for 8 open_menu
rk_wait_for 30 at_least down $((shown + 1))
sleep 1.5 # the watcher's second after the last break screen
touch "$E2E_TMP/stop-watching"
wait "$watcher"
check "every break screen held the input in time and went in time" test $? = 0
sed 's/^/    /' "$E2E_TMP/watch"
finish
