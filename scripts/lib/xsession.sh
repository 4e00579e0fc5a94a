# shellcheck shell=bash
# A virtual X display with a window manager that has a system tray.
#   rk_start_x_session WORKDIR PROBE [GEOMETRY]  -> exports DISPLAY, sets RK_XVFB_PID, RK_WM_PID
#   rk_stop_x_session

RK_SCRIPTS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

rk_wait_for() { # SECONDS COMMAND...
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.1
    done
}

# A bare virtual display without a window manager; exports DISPLAY.
rk_start_xvfb() { # WORKDIR [GEOMETRY]
    local dir=$1 geometry=${2:-1280x800x24}
    mkdir -p "$dir"
    : >"$dir/display"
    Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
    RK_XVFB_PID=$!
    if ! rk_wait_for 15 test -s "$dir/display"; then
        echo "Xvfb did not start; see $dir/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$(head -n1 "$dir/display")"
}

rk_start_x_session() {
    local dir=$1 probe=$2 geometry=${3:-1280x800x24}
    rk_start_xvfb "$dir" "$geometry" || return 1
    local attempt
    for attempt in 1 2; do
        jwm -f "$RK_SCRIPTS_DIR/jwmrc" >"$dir/jwm.log" 2>&1 &
        RK_WM_PID=$!
        rk_wait_for 10 "$probe" tray-owned && return 0
        echo "no system tray appeared on $DISPLAY (attempt $attempt); jwm said:" >&2
        cat "$dir/jwm.log" >&2
        kill "$RK_WM_PID" 2>/dev/null
        wait "$RK_WM_PID" 2>/dev/null
    done
    return 1
}

rk_stop_x_session() {
    [ -n "${RK_WM_PID:-}" ] && kill "$RK_WM_PID" 2>/dev/null
    [ -n "${RK_XVFB_PID:-}" ] && kill "$RK_XVFB_PID" 2>/dev/null
    wait "${RK_WM_PID:-}" "${RK_XVFB_PID:-}" 2>/dev/null
    RK_WM_PID= RK_XVFB_PID=
}
