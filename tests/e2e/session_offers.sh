#!/usr/bin/env bash
# What the program finds in the session: --help and --version with no display, and
# --diagnose with none, on X11 (jwm's tray), on a headless sway and weston; and a
# tray that is a StatusNotifier host coming five seconds after the program gets its
# icon.
source "$(dirname "$0")/lib.sh" "$@"
WATCHER=$(dirname "$RK_PROBE")/rk-snwatcher
run() { env -u DISPLAY -u WAYLAND_DISPLAY "$@" "$RK_PROGRAM" "${args[@]}" >"$E2E_TMP/out" 2>&1; }
says() { grep -qF -- "$1" "$E2E_TMP/out" || { echo "--- it said:" && cat "$E2E_TMP/out"; } >&2; }
args=(--help) && check "--help without a display lists the options" eval 'run && says --diagnose && says --version'
args=(--version) && check "--version without a display" eval 'run && says "RespiteKeeper 1.0.0"'
args=(--diagnose) && check "--diagnose without a display" eval 'run && says "platform: none: no display" &&
    says "settings: $XDG_CONFIG_HOME/RespiteKeeper/RespiteKeeper.conf" &&
    says "log-on entry: $XDG_CONFIG_HOME/autostart/RespiteKeeper.desktop"'

start_display 1280x800x24
check "--diagnose on X11" eval 'run DISPLAY="$DISPLAY" && says "platform: xcb" &&
    says "idle time: the X server'"'"'s IDLETIME alarms (SYNC)" && says "input hold: X11 keyboard and pointer grabs" &&
    says "break screen: one window over 1 monitor(s)" && says "system tray: an X11 system tray"'
if start_compositor sway sway -c /dev/null; then
    check "--diagnose on Wayland" eval 'run WAYLAND_DISPLAY="$WAYLAND_DISPLAY" QT_QPA_PLATFORM=wayland &&
        says "platform: wayland" && says "idle time: the compositor'"'"'s org_kde_kwin_idle" &&
        says "input hold: the compositor'"'"'s shortcuts inhibited on the break screen" && says "system tray: none now"'
fi
if start_compositor weston weston --backend=headless-backend.so --socket=wayland-rk; then
    check "--diagnose on a compositor that offers neither" eval 'run WAYLAND_DISPLAY="$WAYLAND_DISPLAY" QT_QPA_PLATFORM=wayland &&
        says "idle time: unknown" && says "input hold: none: the compositor offers no keyboard-shortcuts-inhibit"'
fi
rk_stop_x_session

# No X11 tray: a bare display, and a session bus of the test's own.
rk_start_xvfb "$E2E_TMP/bare" >/dev/null || exit 1
start_session_bus
start_program
program=$E2E_LAST_PID
check "the program waits while there is no tray" eval '! rk_wait_for 5 gone $program'
"$WATCHER" >"$E2E_TMP/items" &
E2E_PIDS+=($!)
check "and puts its icon in a StatusNotifier host that comes later" rk_wait_for 10 grep -q "^item " "$E2E_TMP/items"
check "and keeps running" alive "$program"
