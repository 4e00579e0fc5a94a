# shellcheck shell=bash
# Common set-up of the end-to-end tests: the real program under Xvfb with a tray,
# in a temporary HOME of its own.
#   usage in a test: source lib.sh "$@"   (arguments: PROGRAM PROBE ARTIFACT_DIR)
set -uo pipefail
RK_PROGRAM=$1 RK_PROBE=$2 RK_ARTIFACTS=$3
E2E_NAME=$(basename "${BASH_SOURCE[1]}" .sh)
source "${RK_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}/scripts/lib/xsession.sh"
E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/rk-e2e-$E2E_NAME.XXXXXX")
export HOME=$E2E_TMP/home XDG_RUNTIME_DIR=$E2E_TMP/runtime LC_ALL=C.UTF-8 LANG=C.UTF-8
export XDG_CONFIG_HOME=$HOME/.config
unset QT_QPA_PLATFORM
mkdir -p "$HOME" "$RK_ARTIFACTS" "$E2E_TMP/fake-bin"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# Nothing here may ever power off the machine: the system bus leads nowhere, and
# every command that could shut down is a stand-in that only records its call.
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$E2E_TMP/no-system-bus"
# Nor does the session's bus: its tray host would take the icon from the test's tray.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$E2E_TMP/no-session-bus"
E2E_SHUTDOWN_CALLS=$E2E_TMP/shutdown-calls
for fake in shutdown systemctl poweroff halt reboot init telinit loginctl; do
    printf '#!/bin/sh\necho "%s $*" >> "%s"\n' "$fake" "$E2E_SHUTDOWN_CALLS" >"$E2E_TMP/fake-bin/$fake"
    chmod +x "$E2E_TMP/fake-bin/$fake"
done
export PATH="$E2E_TMP/fake-bin:$PATH"
E2E_PIDS=() E2E_FAILED=0
# At the end, however the script ends: everything it started goes, and a failed
# check makes it fail.
e2e_end() {
    local code=$? pid
    for pid in "${E2E_PIDS[@]}"; do kill -CONT "$pid" 2>/dev/null; kill -KILL "$pid" 2>/dev/null; done
    rk_stop_x_session
    rm -rf "$E2E_TMP"
    [ "$code" = 0 ] && [ "$E2E_FAILED" = 1 ] && code=1
    [ "$code" = 0 ] && echo "$E2E_NAME: all checks passed" || echo "$E2E_NAME: ended with $code" >&2
    exit "$code"
}
trap e2e_end EXIT
fail() { echo "FAIL: $*" >&2; E2E_FAILED=1; }
check() { if "${@:2}"; then echo "ok: $1"; else fail "$1"; fi; } # DESCRIPTION COMMAND...
start_display() { rk_start_x_session "$E2E_TMP/x" "$RK_PROBE" "${1:-1280x800x24}" || exit 1; }
# Starts the program in the background; its pid goes to E2E_LAST_PID.
start_program() {
    "$RK_PROGRAM" >>"$E2E_TMP/program.log" 2>&1 &
    E2E_LAST_PID=$!
    E2E_PIDS+=("$E2E_LAST_PID")
}
stop_program() { kill "-${2:-TERM}" "$1"; wait "$1" 2>/dev/null; }
alive() { kill -0 "$1" 2>/dev/null && [ "$(ps -o stat= -p "$1" | cut -c1)" != Z ]; }
gone() { ! alive "$1"; }
# Waits for a background process; its exit code goes to E2E_CODE ("timeout" after SECONDS).
wait_exit() { # SECONDS PID
    E2E_CODE=timeout
    rk_wait_for "$1" gone "$2" || return 0
    wait "$2"
    E2E_CODE=$?
}
# Another copy started now hands over to the running one: it exits with 0 within SECONDS.
hands_over() { start_program && wait_exit "$1" "$E2E_LAST_PID" && [ "$E2E_CODE" = 0 ] || { echo "exit: $E2E_CODE" >&2; false; }; }
settings_path() { echo "$XDG_CONFIG_HOME/RespiteKeeper/RespiteKeeper.conf"; }
program_ready() { [ -S "$XDG_RUNTIME_DIR/RespiteKeeperSingleInstance" ] && [ -f "$(settings_path)" ]; }
# Writes stored settings (version 2) before the program starts: KEY=VALUE...
store_settings() {
    mkdir -p "$(dirname "$(settings_path)")"
    printf '%s\n' "[General]" "version=2" "$@" >"$(settings_path)"
}
# Visible top-level windows of the program, one "id x y w h" line each.
program_windows() {
    local id geometry X Y WIDTH HEIGHT
    for id in $(xdotool search --onlyvisible --class RespiteKeeper 2>/dev/null); do
        # A window can go between the search and the question.
        geometry=$(xdotool getwindowgeometry --shell "$id" 2>/dev/null) || continue
        eval "$geometry"
        echo "$id $X $Y $WIDTH $HEIGHT"
    done
}
# The first program window whose size passes the awk test on w and h: "id x y w h".
window_where() { program_windows | awk "{ w = \$4; h = \$5 } $1 { print; exit }"; }
has() { [ -n "$(window_where "$1")" ]; }
focused() { [ "$(xdotool getwindowfocus)" = "$1" ]; } # WINDOW
no() { [ -z "$(window_where "$1")" ]; }
FULL='w == 1280 && h == 800' DIALOG='w >= 480 && w < 800 && h == 500' TRAY='w <= 64 && h <= 64'
POPUP='w == 360 && h >= 140 && h <= 200' # the style sheet's fonts may make it taller than 140
MENU='w > 64 && w < 400 && h > 100 && h < 400'
# A right click on the tray icon opens the program's menu within SECONDS.
open_menu() { # SECONDS
    read -r _ ix iy iw ih <<<"$(window_where "$TRAY")"
    xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
    rk_wait_for "$1" has "$MENU"
}
# The colours of points of the screen, on one screenshot, as "srgb(r,g,b) ..."
# (ImageMagick names pure greys gray(n)).
pixels() { # X,Y...
    local format="" point shot="$RK_ARTIFACTS/$E2E_NAME.png"
    for point in "$@"; do format+="%[pixel:p{$point}] "; done
    import -window root "$shot" 2>/dev/null && convert "$shot" -format "$format" info: 2>/dev/null
}
screen_is() { # COLOUR X,Y...: every point has the colour
    local want="" point
    for point in "${@:2}"; do want+="$1 "; done
    [ "$(pixels "${@:2}")" = "$want" ]
}
# On a 1280x800 break screen in the green #2e7d32: the Postpone button's text shows
# (its row sits 60 pixels above the bottom edge).
postpone_shown() { screen_is "srgb(46,125,50)" 20,20 && ! screen_is "srgb(46,125,50)" $(seq -f '%g,718' 600 4 680) $(seq -f '%g,722' 600 4 680); }
# The popup is the shutdown's red (180, 30, 30 at alpha 220, over black without a compositor).
popup_red() { read -r _ px py _ ph <<<"$(window_where "$POPUP")" && [[ "$(pixels $((px + 20)),$((py + ph / 2)))" =~ ^srgba?\(1[4-8][0-9],[23][0-9],[23][0-9] ]]; }
# A session bus of the test's own.
start_session_bus() {
    eval "$(dbus-daemon --session --fork --print-address=1 --print-pid=1 | { read -r a && read -r p &&
        echo "export DBUS_SESSION_BUS_ADDRESS=$a; E2E_PIDS+=($p)"; })"
}
# Whether keyboard and pointer are held now (no other client could grab them), or free.
held() { [ "$("$RK_PROBE" grab-state)" = "keyboard=held pointer=held" ]; }
let_go() { [ "$("$RK_PROBE" grab-state)" = "keyboard=free pointer=free" ]; }
input_held() { rk_wait_for 3 held; }
input_free() { rk_wait_for 3 let_go; }
# A Wayland compositor without a display or a GPU, as an unprivileged user of the
# tests' own (sway will not run as root): NAME COMMAND... Exports WAYLAND_DISPLAY
# (its socket's path) and, for commands as that user, WL_ENV; false when it does
# not come up, with the reason on stderr.
WL_USER=rk-wayland WL_AS=()
[ "$(id -u)" = 0 ] && WL_AS=(setpriv --reuid="$WL_USER" --regid="$WL_USER" --clear-groups)
start_compositor() {
    local dir=$E2E_TMP/$1
    mkdir -p "$dir/run" && chmod 711 "$E2E_TMP" && chmod 700 "$dir/run"
    if [ "$(id -u)" = 0 ]; then
        id "$WL_USER" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$WL_USER"
        chown "$WL_USER" "$dir" "$dir/run"
    fi
    WL_ENV=(env -i PATH="$PATH" HOME="$dir" XDG_RUNTIME_DIR="$dir/run" WLR_BACKENDS=headless WLR_RENDERER=pixman
        WLR_LIBINPUT_NO_DEVICES=1 QT_QPA_PLATFORM=offscreen)
    (cd "$dir" && exec "${WL_AS[@]}" "${WL_ENV[@]}" "${@:2}") >"$dir/log" 2>&1 &
    E2E_PIDS+=($!)
    socket_up() { WAYLAND_DISPLAY=$(find "$dir/run" -maxdepth 1 -type s -name 'wayland-*' | head -1) && [ -n "$WAYLAND_DISPLAY" ]; }
    if ! rk_wait_for 30 socket_up; then
        echo "$1 did not start: $(tail -3 "$dir/log" | tr '\n' ' ')" >&2
        return 1
    fi
    export WAYLAND_DISPLAY
    WL_ENV+=(WAYLAND_DISPLAY="$WAYLAND_DISPLAY")
}
