#!/usr/bin/env bash
# At log-on the panel with the tray may come after the program: the program waits
# for it (half a minute) before it gives up, and touches nothing until it is there.
source "$(dirname "$0")/lib.sh" "$@"
rk_start_xvfb "$E2E_TMP/x" 1280x800x24 || exit 1 # no window manager, no tray yet
start_program
program=$E2E_LAST_PID
wait_exit 2 "$program"
check "without a tray the program waits and writes nothing" test "$E2E_CODE" = timeout -a ! -e "$XDG_CONFIG_HOME"
jwm -f "$RK_SOURCE_DIR/scripts/jwmrc" >"$E2E_TMP/jwm.log" 2>&1 &
RK_WM_PID=$!
check "a tray that comes later gets the icon" rk_wait_for 20 has "$TRAY"
check "and the program comes up as usual" rk_wait_for 10 program_ready
stop_program "$program"
stop_program "$RK_WM_PID"
RK_WM_PID=
rm -rf "$XDG_CONFIG_HOME"
start_program
wait_exit 60 "$E2E_LAST_PID"
check "with no tray at all the program gives up with 1 (got $E2E_CODE)" test "$E2E_CODE" = 1 -a ! -e "$XDG_CONFIG_HOME"
