#!/usr/bin/env bash
# Two monitors of different sizes on a real X server (Xorg with the dummy driver):
# the break screen covers all monitors, or the primary one, as set, in its colour on
# every point (where the panels sit too) and holds the input. Under a window manager
# that can stretch a full-screen window over several monitors (icewm) and one that
# cannot (jwm), with the toolkit at scale 1 and 2.
source "$(dirname "$0")/lib.sh" "$@"
if ! rk_start_x_server "$E2E_TMP/xorg" Xorg -config "$(dirname "$0")/data/two-monitors-xorg.conf" \
    -logfile "$E2E_TMP/xorg/log"; then
    # It needs more rights than Xvfb: without them this is a skip, with them a failure.
    [ "$(id -u)" = 0 ] && exit 1
    echo "Xorg with the dummy driver needs root here; skipped" >&2
    exit 77
fi

# A window manager runs once the window it names on the root window exists.
wm_ready() { xprop -id "$(xprop -root _NET_SUPPORTING_WM_CHECK | awk '{ print $NF }')" >/dev/null 2>&1; }
# Corners and top middles of both monitors (1920x1080 primary, 2560x1440 beside it),
# clear of the texts in the middle; the panels sit at the bottom.
PRIMARY=("3,3" "960,60" "3,1076" "1916,1076")
SECOND=("1923,3" "3200,60" "4476,1436" "1923,1436")
covers() { # WIDTH HEIGHT POINTS...: a break screen of that size at 0,0, in its colour everywhere
    [ "$(window_where "w == $1 && h == $2" | cut -d' ' -f2,3)" = "0 0" ] && screen_is "srgb(46,125,50)" "${@:3}"
}
# Starts the program: its break screen covers WIDTH x HEIGHT in its colour and holds the input.
break_screen() { # ALL-MONITORS WIDTH HEIGHT POINTS...
    store_settings microBreakInterval=1 microBreakDuration=60 idlePauseEnabled=false autoStartAtBoot=false \
        backgroundColor=#2e7d32 "showOnAllMonitors=$1"
    start_program
    rk_wait_for 30 covers "${@:2}" && input_held && return
    { program_windows; "$RK_PROBE" grab-state; pixels "${@:4}"; echo; cat "$E2E_TMP/program.log"; } >&2
    false
}
# The X server alone paints the break screen in its colour: with the program
# stopped, the window shrinks and grows again (a window the manager leaves alone).
server_paints() {
    local id status
    read -r id _ <<<"$(window_where "w == 4480 && h == 1440")"
    kill -STOP "$E2E_LAST_PID"
    xdotool windowsize --sync "$id" 100 100 windowsize --sync "$id" 4480 1440 &&
        screen_is "srgb(46,125,50)" "${PRIMARY[@]}" "${SECOND[@]}"
    status=$?
    kill -CONT "$E2E_LAST_PID"
    return $status
}

for wm in icewm "jwm -f $RK_SOURCE_DIR/scripts/jwmrc"; do
    # shellcheck disable=SC2086 # the command's words
    $wm >"$E2E_TMP/wm.log" 2>&1 &
    RK_WM_PID=$!
    wm=${wm%% *}
    rk_wait_for 10 wm_ready || fail "$wm does not start"
    for scale in 1 2; do
        export QT_SCALE_FACTOR=$scale
        check "$wm, scale $scale: on all monitors it covers both and holds the input" \
            break_screen true 4480 1440 "${PRIMARY[@]}" "${SECOND[@]}"
        [ "$wm$scale" = jwm1 ] && check "in its colour from the X server alone" server_paints
        stop_program "$E2E_LAST_PID"
    done
    check "$wm, scale 2: on the primary only it covers that one and holds the input" \
        break_screen false 1920 1080 "${PRIMARY[@]}"
    stop_program "$E2E_LAST_PID"
    stop_program "$RK_WM_PID"
done
