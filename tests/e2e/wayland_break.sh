#!/usr/bin/env bash
# The break screen on two Wayland outputs, on a compositor that offers what the
# program uses (a headless sway) and on one that offers none of it (weston, its two
# outputs windows on a bare X display): each output covered in the break colour
# while the break lasts (on sway also an output that comes during it), and both free
# again after it; on KWin, that it grants the break screen its shortcuts. The tray
# is a StatusNotifier host on a session bus of the test's own.
source "$(dirname "$0")/lib.sh" "$@"
start_session_bus
"$(dirname "$RK_PROBE")/rk-snwatcher" >/dev/null &
E2E_PIDS+=($!)
export QT_QPA_PLATFORM=wayland
GREEN="srgb(46,125,50)"
SHOTS=$E2E_TMP/shots
mkdir -p "$SHOTS"
# The picture of output N ($SHOTS/N.png) is COLOUR at two corners and at the middle
# of the top and left edges (the countdown and message are in the middle).
output_is() {
    [ "$(convert "$SHOTS/$1.png" -format '%[pixel:p{5,5}] %[pixel:p{400,30}] %[pixel:p{5,300}] %[pixel:p{794,594}]' info:)" = "$2 $2 $2 $2" ]
}
covered() { shoot && output_is 1 "$GREEN" && output_is 2 "$GREEN"; }
said() { grep -q "$1" "$E2E_TMP/program.log"; }
uncovered() { shoot && ! output_is 1 "$GREEN" && ! output_is 2 "$GREEN"; }
during_break() { :; }
break_on_both_outputs() { # COMPOSITOR BREAK_SECONDS; during_break runs while the break shows
    store_settings microBreakInterval=3 "microBreakDuration=$2" backgroundColor=#2e7d32 autoStartAtBoot=false
    start_program
    check "$1: the break screen covers both outputs in its colour" rk_wait_for 40 covered
    cp "$SHOTS/1.png" "$RK_ARTIFACTS/$E2E_NAME-$1-1.png" && cp "$SHOTS/2.png" "$RK_ARTIFACTS/$E2E_NAME-$1-2.png"
    during_break "$1"
    check "$1: and neither after the break" rk_wait_for 30 uncovered
    check "$1: the program is still running" alive "$E2E_LAST_PID"
    stop_program "$E2E_LAST_PID"
}

printf '%s\n' "output HEADLESS-1 resolution 800x600 position 0 0" "output HEADLESS-2 resolution 800x600 position 800 0" \
    "output HEADLESS-3 resolution 800x600 position 1600 0" >"$E2E_TMP/sway.conf"
# Without -Dnoscanout sway shows a full-screen window by scanning its buffer out, and
# grim of an output whose window has not changed since reads sway's last own picture.
if start_compositor sway env WLR_HEADLESS_OUTPUTS=2 sway -Dnoscanout -c "$E2E_TMP/sway.conf"; then
    export SWAYSOCK
    SWAYSOCK=$(find "$E2E_TMP/sway/run" -maxdepth 1 -type s -name 'sway-ipc.*')
    shoot() { grim -o HEADLESS-1 "$SHOTS/1.png" && grim -o HEADLESS-2 "$SHOTS/2.png"; }
    third_covered() { grim -o HEADLESS-3 "$SHOTS/3.png" && output_is 3 "$GREEN"; }
    during_break() {
        swaymsg create_output >/dev/null
        check "sway: an output that comes during the break is covered too" rk_wait_for 10 third_covered
        swaymsg output HEADLESS-3 disable >/dev/null
        check "sway: when it goes, the others stay covered" rk_wait_for 5 covered
    }
    break_on_both_outputs sway 25
    during_break() { :; }
    sway_ran=1
fi

# KWin gives a test neither keys nor pictures; what it shows is whether it grants the
# break screen its shortcuts, and takes them back.
cp /usr/bin/kwin_wayland "$E2E_TMP/kwin_wayland" 2>/dev/null
if start_compositor kwin "$E2E_TMP/kwin_wayland" --virtual --no-lockscreen --socket wayland-rk \
    --width 800 --height 600 --output-count 2; then
    store_settings microBreakInterval=3 microBreakDuration=5 autoStartAtBoot=false
    : >"$E2E_TMP/program.log"
    QT_LOGGING_RULES="respitekeeper.hold.debug=true" start_program
    check "kwin: it gives the break screen the compositor's shortcuts" rk_wait_for 40 said "shortcuts go to the break screen"
    check "kwin: and takes them back after the break" rk_wait_for 20 said "shortcuts are its own again"
    check "kwin: the program is still running" alive "$E2E_LAST_PID"
    stop_program "$E2E_LAST_PID"
    kwin_ran=1
fi

rk_start_xvfb "$E2E_TMP/x" 1600x600x24 >/dev/null || exit 1
if start_compositor weston env DISPLAY="$DISPLAY" weston --backend=x11-backend.so --use-pixman --output-count=2 \
    --width=800 --height=600 --socket=wayland-rk --debug; then
    # weston's own screenshot: both outputs side by side.
    shoot() {
        rm -f "$SHOTS"/wayland-screenshot-*.png
        (cd "$SHOTS" && weston-screenshooter) >/dev/null 2>&1 &&
            convert "$SHOTS"/wayland-screenshot-*.png -crop 800x600+0+0 +repage "$SHOTS/1.png" &&
            convert "$SHOTS"/wayland-screenshot-*.png -crop 800x600+800+0 +repage "$SHOTS/2.png"
    }
    break_on_both_outputs weston 10
    check "weston: the log says nothing holds the input there" said "does not hold keyboard and mouse: the compositor offers no"
elif [ -z "${sway_ran:-}${kwin_ran:-}" ]; then
    echo "SKIP: no Wayland compositor could start here" >&2
    exit 77
fi
