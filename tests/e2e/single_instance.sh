#!/usr/bin/env bash
# One copy per user: hand-over, ten copies at once, a killed and a stopped copy.
source "$(dirname "$0")/lib.sh" "$@"

start_display
start_program
first=$E2E_LAST_PID
check "the first copy comes up" rk_wait_for 20 program_ready
mode=$(stat -c %a "$(socket_path)")
check "the socket is private to the user (mode $mode)" test $((8#$mode & 8#077)) = 0

start_program
wait_exit 10 "$E2E_LAST_PID"
check "a second copy exits with 0 (got $E2E_CODE)" test "$E2E_CODE" = 0
check "the first copy keeps running" alive "$first"

# A stopped copy still holds the lock: a new start must not become a second copy.
kill -STOP "$first"
start_program
t0=$SECONDS
wait_exit 10 "$E2E_LAST_PID"
check "a start beside a stopped copy exits with 0 (got $E2E_CODE)" test "$E2E_CODE" = 0
check "and within about a second" test $((SECONDS - t0)) -le 3
kill -CONT "$first"
check "the stopped copy runs on" alive "$first"

# A killed copy leaves its lock and socket behind; the next start takes over.
kill -KILL "$first"
wait "$first" 2>/dev/null || true
start_program
second=$E2E_LAST_PID
sleep 2
check "a start after a killed copy keeps running" alive "$second"
start_program
wait_exit 10 "$E2E_LAST_PID"
check "and it answers the next start (got $E2E_CODE)" test "$E2E_CODE" = 0
kill -TERM "$second"
wait "$second" 2>/dev/null
rm -f "$(socket_path)" # as a crash would leave it, to make the race harder

# Ten copies started together leave exactly one.
pids=()
for _ in $(seq 10); do
    start_program
    pids+=("$E2E_LAST_PID")
done
sleep 4
running=0
for pid in "${pids[@]}"; do alive "$pid" && running=$((running + 1)); done
check "ten simultaneous starts leave exactly one copy (found $running)" test "$running" = 1
for pid in "${pids[@]}"; do
    if ! alive "$pid"; then
        wait_exit 1 "$pid"
        [ "$E2E_CODE" = 0 ] || fail "a copy that gave way exited with $E2E_CODE"
    fi
done
finish
