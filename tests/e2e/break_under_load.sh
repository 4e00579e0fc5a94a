#!/usr/bin/env bash
# The break screen on a loaded machine: both cores busy, a break every 14 seconds,
# and a window manager that stalls around the end of each break. Every break
# screen must hold the input within a second of coming up and, after it goes, let
# it go within a second; also when a break begins while the tray menu is open.
source "$(dirname "$0")/lib.sh" "$@"
for _ in 1 2; do
    (while :; do :; done) &
    E2E_PIDS+=($!)
done
start_display 1280x800x24
store_settings microBreakInterval=1 microBreakDuration=3 idlePauseEnabled=false autoStartAtBoot=false
start_program
one_break() { # N: the screen comes, holds the input, goes and lets it go
    rk_wait_for 60 has "$FULL" && rk_wait_for 1 held && sleep 1 && held || {
        fail "break screen $1 came without the hold: $("$RK_PROBE" grab-state), $(program_windows | tr '\n' ' ')"
        return
    }
    # The window manager stalls over the break's end: the program's requests reach
    # it late, as they do when it is starved of time.
    kill -STOP "$RK_WM_PID"
    rk_wait_for 5 no "$FULL" && rk_wait_for 1 let_go
    local status=$?
    kill -CONT "$RK_WM_PID"
    [ "$status" = 0 ] && echo "ok: break screen $1 held the input and let it go" || fail "break screen $1 kept the hold"
}
for n in 1 2 3 4 5; do one_break "$n"; done
# The next break begins while the program's tray menu is open.
check "the tray menu opens before the last break" open_menu 8
menu_or_break_gone() { has "$FULL" || ! has "$MENU"; }
stays_open() { rk_wait_for 20 menu_or_break_gone && rk_wait_for 2 has "$FULL"; }
check "and stays open until the break screen comes" stays_open
one_break "over the menu"
