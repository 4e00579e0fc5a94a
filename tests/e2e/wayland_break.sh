#!/usr/bin/env bash
# The break screen on a Wayland compositor with two outputs (a headless sway): each
# output covered in the break colour while the break lasts, and both free again
# after it. The tray is a StatusNotifier host on a session bus of the test's own.
source "$(dirname "$0")/lib.sh" "$@"
start_session_bus
"$(dirname "$RK_PROBE")/rk-snwatcher" >/dev/null &
E2E_PIDS+=($!)
printf '%s\n' "output HEADLESS-1 resolution 800x600 position 0 0" "output HEADLESS-2 resolution 800x600 position 800 0" \
    >"$E2E_TMP/sway.conf"
start_compositor sway env WLR_HEADLESS_OUTPUTS=2 sway -c "$E2E_TMP/sway.conf" || exit 77
export QT_QPA_PLATFORM=wayland
store_settings microBreakInterval=3 microBreakDuration=10 backgroundColor=#2e7d32 autoStartAtBoot=false
start_program
output_is() { # OUTPUT COLOUR: at the corners and the middle of the output
    grim -o "$1" "$E2E_TMP/$1.png" 2>/dev/null &&
        [ "$(convert "$E2E_TMP/$1.png" -format '%[pixel:p{5,5}] %[pixel:p{400,300}] %[pixel:p{794,594}]' info:)" = "$2 $2 $2" ]
}
GREEN="srgb(46,125,50)"
covered() { output_is HEADLESS-1 "$GREEN" && output_is HEADLESS-2 "$GREEN"; }
check "the break screen covers both outputs in its colour" rk_wait_for 40 covered
cp "$E2E_TMP"/HEADLESS-*.png "$RK_ARTIFACTS/" 2>/dev/null
uncovered() { ! output_is HEADLESS-1 "$GREEN" && ! output_is HEADLESS-2 "$GREEN"; }
check "and neither after the break" rk_wait_for 30 uncovered
