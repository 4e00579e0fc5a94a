# shellcheck shell=bash
# A virtual X display with a window manager that has a system tray.
#   rk_start_x_session WORKDIR PROBE [GEOMETRY]  -> exports DISPLAY, sets RK_XVFB_PID, RK_WM_PID
#   rk_stop_x_session

RK_SCRIPTS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# bash runs the EXIT trap on a plain exit only: a script that is interrupted or
# terminated exits through it too, so that its display and programs go with it.
trap 'exit 130' INT
trap 'exit 143' TERM

# Milliseconds on the monotonic clock (a change of the wall clock moves no deadline).
rk_now_ms() {
    local up
    read -r up _ </proc/uptime
    echo $((10#${up/./} * 10))
}
rk_wait_for() { # SECONDS COMMAND...: true as soon as the command is, false after the seconds
    local deadline=$(($(rk_now_ms) + $1 * 1000))
    shift
    until "$@"; do
        [ "$(rk_now_ms)" -ge "$deadline" ] && return 1
        sleep 0.1
    done
}

# An X server that prints its display number on descriptor 3 (Xvfb, Xorg), once it
# takes connections; exports DISPLAY. A display number that another server is just
# giving up can leave the new one unreachable: then it starts again, up to three times.
rk_start_x_server() { # WORKDIR COMMAND...
    local dir=$1 attempt
    shift
    mkdir -p "$dir"
    for attempt in 1 2 3; do
        : >"$dir/display"
        # -noreset: the server would reset whenever its last client leaves, and refuse
        # connections meanwhile.
        "$@" -displayfd 3 -nolisten tcp -noreset 3>"$dir/display" >"$dir/xserver.log" 2>&1 &
        RK_XVFB_PID=$!
        if rk_wait_for 20 test -s "$dir/display"; then
            export DISPLAY=":$(head -n1 "$dir/display")"
            # The number can come before the server takes connections.
            rk_wait_for 15 xdpyinfo >/dev/null 2>&1 && return 0
        fi
        echo "$1 did not start or takes no connections (attempt $attempt); see $dir/xserver.log" >&2
        kill "$RK_XVFB_PID" 2>/dev/null
        wait "$RK_XVFB_PID" 2>/dev/null
        RK_XVFB_PID=
    done
    return 1
}

# A bare virtual display without a window manager.
rk_start_xvfb() { rk_start_x_server "$1" Xvfb -screen 0 "${2:-1280x800x24}"; } # WORKDIR [GEOMETRY]

rk_start_x_session() {
    local dir=$1 probe=$2 geometry=${3:-1280x800x24}
    local attempt
    # A tray that does not come up: the whole session starts again.
    for attempt in 1 2 3; do
        if rk_start_xvfb "$dir" "$geometry"; then
            jwm -f "$RK_SCRIPTS_DIR/jwmrc" >"$dir/jwm.log" 2>&1 &
            RK_WM_PID=$!
            rk_wait_for 10 "$probe" tray-owned && return 0
            echo "no system tray appeared on $DISPLAY (attempt $attempt); jwm said:" >&2
            cat "$dir/jwm.log" "$dir/xserver.log" >&2
        fi
        rk_stop_x_session
    done
    return 1
}

# Safe to call again, and under set -e.
rk_stop_x_session() {
    local pid
    for pid in ${RK_WM_PID:-} ${RK_XVFB_PID:-}; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    RK_WM_PID= RK_XVFB_PID=
}
