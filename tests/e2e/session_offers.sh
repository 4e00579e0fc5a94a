#!/usr/bin/env bash
# What the program finds in the session: --help and --version with no display, and
# --diagnose with none, on X11 (jwm's tray), on a headless sway and weston; and a
# tray that is a StatusNotifier host coming five seconds after the program gets its
# icon.
source "$(dirname "$0")/lib.sh" "$@"
WATCHER=$(dirname "$RK_PROBE")/rk-snwatcher
run() { env -u DISPLAY -u WAYLAND_DISPLAY "$@" "$RK_PROGRAM" "${args[@]}" >"$E2E_TMP/out" 2>&1; }
said() { echo "--- it said:" && cat "$E2E_TMP/out"; } >&2
says() { grep -qF -- "$1" "$E2E_TMP/out" || { said; false; }; }
line_says() { grep "^$1: " "$E2E_TMP/out" | grep -qF -- "$2" || { said; false; }; } # NAME TEXT: in the diagnosis's line NAME
args=(--help) && check "--help without a display lists the options" eval 'run && says --diagnose && says --version'
args=(--version) && check "--version without a display" eval 'run && says "RespiteKeeper 1.0.0"'
args=(--diagnose) && check "--diagnose without a display" eval 'run && says "platform: none: no display" &&
    says "settings: $XDG_CONFIG_HOME/RespiteKeeper/RespiteKeeper.conf" &&
    says "log-on entry: $XDG_CONFIG_HOME/autostart/RespiteKeeper.desktop"'

start_display 1280x800x24
check "--diagnose on X11" eval 'run DISPLAY="$DISPLAY" && says "platform: xcb" &&
    says "idle time: the X server'"'"'s IDLETIME alarms (SYNC)" && says "input hold: X11 keyboard and pointer grabs" &&
    says "break screen: one window over 1 monitor(s)" && says "system tray: an X11 system tray"'
# A start while the user is away is no input: the idle source, on its first notice,
# answers the X server's idle time (no keys have been typed on this display), which
# was 2 s or more at its start and which it never passes.
idle_past() { [ "$("$RK_PROBE" idle-time)" -ge "$1" ]; }
answer_is_servers() {
    read -r answer server <<<"$("$RK_PROBE" idle-answer 600000 2>/dev/null)"
    echo "idle time answered: ${answer:-none} ms, the X server's then: ${server:-none} ms"
    [ "${answer:-0}" -ge 2000 ] && [ "$answer" -le "$((server + 100))" ]
}
check "on X11 a start is not taken for input" eval 'rk_wait_for 10 idle_past 2000 && answer_is_servers'
if start_compositor sway sway -c /dev/null; then
    check "--diagnose on Wayland" eval 'run WAYLAND_DISPLAY="$WAYLAND_DISPLAY" QT_QPA_PLATFORM=wayland &&
        says "platform: wayland" && says "idle time: the compositor'"'"'s org_kde_kwin_idle" &&
        says "input hold: the compositor'"'"'s shortcuts inhibited on the break screen" && says "system tray: none now" &&
        says "module: $RESPITEKEEPER_MODULE_DIR/respitekeeper-wayland.so"'
    # A copy of the program with no module beside it, and a module folder whose
    # module is no library.
    mkdir "$E2E_TMP/alone" "$E2E_TMP/broken" && cp "$RK_PROGRAM" "$E2E_TMP/alone/" &&
        echo "not a library" >"$E2E_TMP/broken/respitekeeper-wayland.so"
    check "--diagnose on Wayland without the program's module says why, not that the compositor lacks things" eval '
        RK_PROGRAM=$E2E_TMP/alone/$(basename "$RK_PROGRAM") run WAYLAND_DISPLAY="$WAYLAND_DISPLAY" QT_QPA_PLATFORM=wayland \
            RESPITEKEEPER_MODULE_DIR="$E2E_TMP/broken" &&
        line_says module "the program'"'"'s Wayland module (respitekeeper-wayland.so) could not be loaded: " &&
        line_says module "$E2E_TMP/broken/respitekeeper-wayland.so: file too short" &&
        line_says module "$E2E_TMP/alone/respitekeeper-wayland.so: no such file" &&
        line_says "idle time" "unknown (the program'"'"'s Wayland module is not loaded, and no org.gnome" &&
        line_says "input hold" "none: the program'"'"'s Wayland module is not loaded" && ! grep -q "compositor offers" "$E2E_TMP/out"'
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
