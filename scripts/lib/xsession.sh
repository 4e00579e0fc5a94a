# shellcheck shell=bash
# A virtual X display with a window manager that has a system tray.
#   rk_start_x_session WORKDIR PROBE [GEOMETRY]  -> exports DISPLAY, sets RK_XVFB_PID, RK_WM_PID
#   rk_stop_x_session

RK_SCRIPTS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# bash runs the EXIT trap on a plain exit only: a script that is interrupted or
# terminated exits through it too, so that its display and programs go with it.
trap 'exit 130' INT
trap 'exit 143' TERM

rk_now_ms() { echo $((${EPOCHREALTIME/./} / 1000)); }
rk_wait_for() { # SECONDS COMMAND...: true as soon as the command is, false after the seconds
    local deadline=$(($(rk_now_ms) + $1 * 1000))
    shift
    until "$@"; do
        [ "$(rk_now_ms)" -ge "$deadline" ] && return 1
        sleep 0.1
    done
}

# A bare virtual display without a window manager; exports DISPLAY.
rk_start_xvfb() { # WORKDIR [GEOMETRY]
    local dir=$1 geometry=${2:-1280x800x24}
    mkdir -p "$dir"
    : >"$dir/display"
    # -noreset: the server would reset whenever its last client leaves, and refuse
    # connections meanwhile.
    Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -noreset 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
    RK_XVFB_PID=$!
    if ! rk_wait_for 15 test -s "$dir/display"; then
        echo "Xvfb did not start; see $dir/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$(head -n1 "$dir/display")"
    # The number can come before the server takes connections.
    if ! rk_wait_for 15 xdpyinfo >/dev/null 2>&1; then
        echo "Xvfb on $DISPLAY takes no connections; see $dir/xvfb.log" >&2
        return 1
    fi
}

rk_start_x_session() {
    local dir=$1 probe=$2 geometry=${3:-1280x800x24}
    local attempt
    # A display number that another session is just giving up can leave a new
    # server unreachable: then the whole session starts again.
    for attempt in 1 2 3; do
        if rk_start_xvfb "$dir" "$geometry"; then
            jwm -f "$RK_SCRIPTS_DIR/jwmrc" >"$dir/jwm.log" 2>&1 &
            RK_WM_PID=$!
            rk_wait_for 10 "$probe" tray-owned && return 0
            echo "no system tray appeared on $DISPLAY (attempt $attempt); jwm said:" >&2
            cat "$dir/jwm.log" "$dir/xvfb.log" >&2
        fi
        rk_stop_x_session
    done
    return 1
}

rk_stop_x_session() {
    [ -n "${RK_WM_PID:-}" ] && kill "$RK_WM_PID" 2>/dev/null
    [ -n "${RK_XVFB_PID:-}" ] && kill "$RK_XVFB_PID" 2>/dev/null
    wait "${RK_WM_PID:-}" "${RK_XVFB_PID:-}" 2>/dev/null
    RK_WM_PID= RK_XVFB_PID=
}
