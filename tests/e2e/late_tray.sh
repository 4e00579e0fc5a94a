#!/usr/bin/env bash
# At log-on the panel with the tray may come after the program: the program waits
# for it (half a minute) before it gives up, and touches nothing until it is there.
# It learns of the tray from the session's notices: an X tray's MANAGER message, and
# a StatusNotifier host that registers with a watcher that was there first.
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

# A session bus of the test's own with a StatusNotifier watcher that has no host yet.
rm -rf "$XDG_CONFIG_HOME"
start_session_bus
"$(dirname "$RK_PROBE")/rk-snwatcher" --host-later >"$E2E_TMP/items" &
E2E_PIDS+=($!)
watcher() { dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher "$@" >/dev/null 2>&1; }
rk_wait_for 10 watcher org.freedesktop.DBus.Peer.Ping || fail "the StatusNotifier watcher did not come up"
start_program
program=$E2E_LAST_PID
wait_exit 2 "$program"
check "with a watcher but no host the program waits and writes nothing" test "$E2E_CODE" = timeout -a ! -e "$XDG_CONFIG_HOME"
watcher org.kde.StatusNotifierWatcher.RegisterStatusNotifierHost string:org.example.Host
check "a host that registers later gets the icon" rk_wait_for 10 grep -q "^item " "$E2E_TMP/items"
check "and the program comes up as usual" rk_wait_for 10 program_ready
