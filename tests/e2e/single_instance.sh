#!/usr/bin/env bash
# One copy per user: hand-over, a stopped and a killed copy, ten copies at once.
source "$(dirname "$0")/lib.sh" "$@"
start_display
start_program
first=$E2E_LAST_PID
check "the first copy comes up" rk_wait_for 20 program_ready
mode=$(stat -c %a "$XDG_RUNTIME_DIR/RespiteKeeperSingleInstance")
check "the socket is private to the user (mode $mode)" test $((8#$mode & 8#077)) = 0
# A stopped copy still holds the lock: a new start must not become a second copy.
kill -STOP "$first"
check "a start beside a stopped copy hands over within 3 s" hands_over 3
kill -CONT "$first"
# A killed copy leaves its lock and socket behind; the next start takes over.
stop_program "$first" KILL
pids=()
for _ in $(seq 10); do
    start_program
    pids+=("$E2E_LAST_PID")
done
at_most_one_alive() { [ "$(for p in "${pids[@]}"; do alive "$p" && echo; done | wc -l)" -le 1 ]; }
rk_wait_for 20 at_most_one_alive
running=0 exits=0
for pid in "${pids[@]}"; do
    if alive "$pid"; then running=$((running + 1)); else wait "$pid" && exits=$((exits + 1)); fi
done
check "ten starts after a killed copy: one runs ($running), nine hand over with 0 ($exits)" test "$running,$exits" = 1,9
check "and it answers the next start" hands_over 10
