#!/usr/bin/env bash
# A program stopped for 20 s (SIGSTOP: a debugger, a paused machine, a frozen
# session) in the middle of a 20 s break is not hung: after SIGCONT it keeps
# running, and since the stop counted toward the break, the break screen goes and
# the input is let go at once.
source "$(dirname "$0")/lib.sh" "$@"
start_display 1280x800x24
store_settings microBreakInterval=1 microBreakDuration=20 idlePauseEnabled=false autoStartAtBoot=false
start_program
program=$E2E_LAST_PID
check "the break screen comes and holds the input" eval 'rk_wait_for 60 has "$FULL" && input_held'
kill -STOP "$program"
check "the input stays held while the program is stopped" held
sleep 20 # the stop itself
kill -CONT "$program"
check "after SIGCONT the break screen goes at once" rk_wait_for 3 no "$FULL"
check "and the input is let go" input_free
check "the program keeps running (no hang seen)" eval '! rk_wait_for 5 gone "$program"'
alive "$program" || { wait "$program"; echo "it ended with $?" >&2; }
check "and still answers a second start" hands_over 10
