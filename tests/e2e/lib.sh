# shellcheck shell=bash
# Common set-up of the end-to-end tests: the real program under Xvfb with a tray,
# in a temporary HOME of its own.
#   usage in a test: source lib.sh "$@"   (arguments: PROGRAM PROBE ARTIFACT_DIR)
set -uo pipefail

RK_PROGRAM=$1
RK_PROBE=$2
RK_ARTIFACTS=$3
E2E_NAME=$(basename "${BASH_SOURCE[1]}" .sh)
source "${RK_SOURCE_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}/scripts/lib/xsession.sh"

E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/rk-e2e-$E2E_NAME.XXXXXX")
export HOME=$E2E_TMP/home
export XDG_CONFIG_HOME=$HOME/.config
export XDG_RUNTIME_DIR=$E2E_TMP/runtime
export LC_ALL=C.UTF-8 LANG=C.UTF-8
unset QT_QPA_PLATFORM
mkdir -p "$HOME" "$RK_ARTIFACTS"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Nothing here may ever power off the machine: the system bus leads nowhere, and
# every command that could shut down is a stand-in that only records its call.
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$E2E_TMP/no-system-bus"
E2E_SHUTDOWN_CALLS=$E2E_TMP/shutdown-calls
mkdir -p "$E2E_TMP/fake-bin"
for fake in shutdown systemctl poweroff halt reboot init telinit loginctl; do
    printf '#!/bin/sh\necho "%s $*" >> "%s"\n' "$fake" "$E2E_SHUTDOWN_CALLS" >"$E2E_TMP/fake-bin/$fake"
    chmod +x "$E2E_TMP/fake-bin/$fake"
done
export PATH="$E2E_TMP/fake-bin:$PATH"
E2E_PIDS=()
E2E_FAILED=0

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do
        kill -CONT "$pid" 2>/dev/null
        kill -KILL "$pid" 2>/dev/null
    done
    rk_stop_x_session
    rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    E2E_FAILED=1
}
check() { # DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else fail "$what"; fi
}
finish() {
    if [ "$E2E_FAILED" -ne 0 ]; then
        echo "$E2E_NAME: failed" >&2
        exit 1
    fi
    echo "$E2E_NAME: all checks passed"
    exit 0
}

start_display() { rk_start_x_session "$E2E_TMP/x" "$RK_PROBE" "${1:-1280x800x24}" || exit 1; }

# Starts the program in the background; its pid goes to E2E_LAST_PID.
start_program() {
    "$RK_PROGRAM" >>"$E2E_TMP/program.log" 2>&1 &
    E2E_LAST_PID=$!
    E2E_PIDS+=("$E2E_LAST_PID")
}
alive() { kill -0 "$1" 2>/dev/null && [ "$(ps -o stat= -p "$1" | cut -c1)" != Z ]; }
# Waits for a background process; its exit code goes to E2E_CODE ("timeout" after SECONDS).
wait_exit() { # SECONDS PID
    local deadline=$((SECONDS + $1))
    while alive "$2"; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            E2E_CODE=timeout
            return
        fi
        sleep 0.05
    done
    wait "$2"
    E2E_CODE=$?
}
socket_path() { echo "$XDG_RUNTIME_DIR/RespiteKeeperSingleInstance"; }
settings_path() { echo "$XDG_CONFIG_HOME/RespiteKeeper/RespiteKeeper.conf"; }
program_ready() { [ -S "$(socket_path)" ] && [ -f "$(settings_path)" ]; }
screenshot() { import -window root "$RK_ARTIFACTS/$1.png" 2>/dev/null || fail "screenshot $1"; }

# Writes stored settings (version 2) before the program starts: KEY=VALUE...
store_settings() {
    mkdir -p "$(dirname "$(settings_path)")"
    { echo "[General]"; echo "version=2"; printf '%s\n' "$@"; } >"$(settings_path)"
}
# Visible top-level windows of the program, one "id x y w h" line each.
program_windows() {
    local id
    for id in $(xdotool search --onlyvisible --class RespiteKeeper 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        echo "$id $X $Y $WIDTH $HEIGHT"
    done
}
# The program window of the given size, "id x y w h", if one is visible.
window_of_size() { program_windows | awk -v w="$1" -v h="$2" '$4 == w && $5 == h { print; exit }'; }
# The colour of one pixel as srgb(r,g,b); ImageMagick names pure greys gray(n).
pixel() {
    convert "$1" -format "%[pixel:p{$2,$3}]" info: 2>/dev/null | sed -E 's/^gray\(([0-9]+)\)$/srgb(\1,\1,\1)/'
}
has_window() { [ -n "$(window_of_size "$1" "$2")" ]; }
no_window() { [ -z "$(window_of_size "$1" "$2")" ]; }
grab_state_is() { [ "$("$RK_PROBE" grab-state)" = "$1" ]; }
# The program's tray icon window, "id x y w h": the small one docked in the tray.
tray_icon() { program_windows | awk '$4 <= 64 && $5 <= 64 { print; exit }'; }
has_tray_icon() { [ -n "$(tray_icon)" ]; }
window_shot() { import -window "$1" "$RK_ARTIFACTS/$2.png" 2>/dev/null || fail "screenshot $2"; }
# The warning popup: 360 wide; the style sheet's fonts may make it taller than 140.
popup_window() { program_windows | awk '$4 == 360 && $5 >= 140 && $5 <= 200 { print; exit }'; }
has_popup() { [ -n "$(popup_window)" ]; }
no_popup() { [ -z "$(popup_window)" ]; }
