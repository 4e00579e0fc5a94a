#!/usr/bin/env bash
# 500 connections that send nothing, opened during a break, neither end the break
# nor its hold, and the next start is answered at once.
source "$(dirname "$0")/lib.sh" "$@"
start_display
store_settings microBreakInterval=3 microBreakDuration=60 autoStartAtBoot=false
start_program
program=$E2E_LAST_PID
check "the break screen comes" rk_wait_for 30 has "$FULL"
check "keyboard and pointer are held" input_held
"$RK_PROBE" flood "$XDG_RUNTIME_DIR/RespiteKeeperSingleInstance" 500 40 >"$E2E_TMP/flood" &
E2E_PIDS+=($!)
check "500 silent connections are open" rk_wait_for 10 grep -qx "open 500" "$E2E_TMP/flood"
check "the next start hands over within 5 s" hands_over 5
answered=$(rk_now_ms)
check "and the settings dialog is there within 1 s" rk_wait_for 1 has "$DIALOG"
echo "dialog after $(($(rk_now_ms) - answered)) ms"
# The hang watchdog would end a program whose event loop stood for 15 s.
stays() { ! rk_wait_for 20 gone "$program"; }
check "the program keeps running through 20 s of it" stays
check "with the break screen up" has "$FULL"
check "and the input held" input_held
