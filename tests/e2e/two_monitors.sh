#!/usr/bin/env bash
# Two monitors of different sizes on a real X server (Xorg with the dummy driver),
# under a window manager that fits full-screen windows to one monitor unless asked:
# the break screen covers all monitors or the primary one, as set, and holds the input.
source "$(dirname "$0")/lib.sh" "$@"
rk_start_x_server "$E2E_TMP/xorg" Xorg -config "$(dirname "$0")/data/two-monitors-xorg.conf" \
    -logfile "$E2E_TMP/xorg/log" || {
    echo "Xorg with the dummy driver does not start here; skipped" >&2
    exit 77
}
icewm >"$E2E_TMP/icewm.log" 2>&1 &
RK_WM_PID=$!

at_origin() { [ "$(window_where "w == $1 && h == $2" | cut -d' ' -f2,3)" = "0 0" ]; }
break_screen() { # ALL-MONITORS WIDTH HEIGHT: a break screen of that size at 0,0 holds the input
    store_settings microBreakInterval=1 microBreakDuration=60 idlePauseEnabled=false autoStartAtBoot=false \
        backgroundColor=#2e7d32 "showOnAllMonitors=$1"
    start_program
    rk_wait_for 30 at_origin "$2" "$3" && input_held && [ "$(pixel $(($2 - 1)) $(($3 - 1)) "all-$1")" = "srgb(46,125,50)" ]
    local status=$?
    stop_program "$E2E_LAST_PID"
    return $status
}

check "on all monitors the break screen covers 4480x1440 in its colour and holds the input" break_screen true 4480 1440
check "on the primary monitor only it covers that monitor and holds the input" break_screen false 1920 1080
