#!/usr/bin/env bash
# A full-screen window of another program in front holds breaks, on real Wayland
# compositors: the program's presence, as rk-x11probe prints it, says "full screen"
# while the focused window is full screen, from the start when it already was, and
# "free" when it leaves full screen, when another window takes the focus or when it
# closes. On sway (wlroots' foreign toplevels) the program's own windows never
# count; on KWin (KDE's plasma window management, given only to a program whose
# desktop file asks for it) a window rule makes a window full screen. A compositor
# that cannot start here is skipped.
source "$(dirname "$0")/lib.sh" "$@"
export QT_QPA_PLATFORM=wayland
started=0
# The probe's next "quiet:" line, after those its checks saw, is REASON: one change.
declare -A SEEN
quiet_lines() { [ "$(grep -c '^quiet: ' "$1")" -ge "$2" ]; } # OUTPUT COUNT
next_quiet() { # OUTPUT REASON
    local n=$((${SEEN[$1]:-0} + 1))
    SEEN[$1]=$n
    rk_wait_for 10 quiet_lines "$1" "$n" && [ "$(grep '^quiet: ' "$1" | sed -n "${n}p")" = "quiet: $2" ]
}
probe() { # OUTPUT [COMMAND...]: a probe for 60 s in the background
    local out=$1
    shift
    "${@:-$RK_PROBE}" presence 300000 60 >"$out" 2>"$out.log" &
    E2E_PIDS+=($!)
}
# A client of the compositor's, as its user; its pid goes to CLIENT.
client() {
    "${WL_AS[@]}" "${WL_ENV[@]}" "$@" >/dev/null 2>&1 &
    CLIENT=$!
    E2E_PIDS+=($!)
}
FLOWER=org.freedesktop.weston.flower

on_sway() {
    start_session_bus
    "$(dirname "$RK_PROBE")/rk-snwatcher" >/dev/null &
    E2E_PIDS+=($!)
    export SWAYSOCK
    ipc_up() { SWAYSOCK=$(find "$E2E_TMP/sway/run" -maxdepth 1 -type s -name 'sway-ipc.*') && [ -n "$SWAYSOCK" ]; }
    rk_wait_for 10 ipc_up || { fail "sway opened no IPC socket"; return; }
    # "APP_ID FOCUSED FULLSCREEN_MODE" for each window.
    windows() { swaymsg -t get_tree | jq -r '.. | objects | select(.type == "con" or .type == "floating_con") |
        select(.app_id != null) | "\(.app_id) \(.focused) \(.fullscreen_mode)"'; }
    has_window() { windows | grep -q "^$1"; }
    full_screen() { # APP_ID enable|disable
        swaymsg "[app_id=$1] fullscreen $2" >/dev/null &&
            rk_wait_for 5 has_window "$1 true $([ "$2" = enable ] && echo 1 || echo 0)"
    }

    client weston-flower
    rk_wait_for 10 has_window "$FLOWER true 0" || { fail "weston-flower did not show"; return; }
    check "sway: a window goes full screen before the probe starts" full_screen $FLOWER enable
    OUT=$E2E_TMP/probe
    probe "$OUT"
    check "sway: the probe finds the source" \
        rk_wait_for 10 grep -q "^source: full screen: the compositor's wlr-foreign-toplevel-management" "$OUT"
    check "sway: its first answer is: full screen" next_quiet "$OUT" "full screen"
    full_screen $FLOWER disable
    check "sway: the window leaves full screen: free" next_quiet "$OUT" "free"
    full_screen $FLOWER enable
    check "sway: full screen again: held" next_quiet "$OUT" "full screen"
    # Another window, on another workspace, takes the focus; the full-screen one stays so.
    swaymsg workspace 2 >/dev/null
    client weston-flower
    check "sway: another window takes the focus: free" next_quiet "$OUT" "free"
    check "sway: while the first stays full screen" has_window "$FLOWER false 1"
    swaymsg workspace 1 >/dev/null
    check "sway: back to the full-screen window: held" next_quiet "$OUT" "full screen"

    # The program's own window, full screen in front, holds other programs but not the
    # program: a probe under the program's name (so with its app_id) stays free.
    swaymsg workspace 3 >/dev/null
    check "sway: an empty workspace: free" next_quiet "$OUT" "free"
    store_settings autoStartAtBoot=false
    start_program
    rk_wait_for 20 program_ready || { fail "the program did not start"; return; }
    check "sway: a second start shows the settings dialog" \
        eval 'hands_over 10 && rk_wait_for 10 has_window "respitekeeper true 0"'
    check "sway: the dialog goes full screen" full_screen respitekeeper enable
    check "sway: and holds another program" next_quiet "$OUT" "full screen"
    cp "$RK_PROBE" "$E2E_TMP/respitekeeper"
    OWN=$E2E_TMP/own
    probe "$OWN" "$E2E_TMP/respitekeeper"
    check "sway: but not the program itself" next_quiet "$OWN" "free"
    swaymsg workspace 1 >/dev/null
    check "sway: which another program's full-screen window holds" next_quiet "$OWN" "full screen"
    swaymsg workspace 3 >/dev/null
    check "sway: and its own lets go again" next_quiet "$OWN" "free"
}

on_kwin() {
    # KWin finds the desktop file by the absolute path in its Exec, and gives the
    # interface only to a process of its own user.
    printf '%s\n' "[Desktop Entry]" "Type=Application" "Name=Probe" "Exec=$E2E_TMP/rk-x11probe" \
        "X-KDE-Wayland-Interfaces=org_kde_plasma_window_management" >"$E2E_TMP/kde-data/applications/probe.desktop"
    local out=$E2E_TMP/kwin-probe later=$E2E_TMP/kwin-later flower
    local as_user=("${WL_AS[@]}" "${WL_ENV[@]}" QT_QPA_PLATFORM=wayland
        RESPITEKEEPER_MODULE_DIR="$RESPITEKEEPER_MODULE_DIR")
    probe "$out" "${as_user[@]}" "$E2E_TMP/rk-x11probe"
    check "kwin: the probe finds the source" \
        rk_wait_for 10 grep -q "^source: full screen: KDE's org_kde_plasma_window_management" "$out"
    check "kwin: no window: free" next_quiet "$out" "free"
    client weston-flower
    flower=$CLIENT
    check "kwin: a window full screen in front: held" next_quiet "$out" "full screen"
    probe "$later" "${as_user[@]}" "$E2E_TMP/rk-x11probe"
    check "kwin: a probe started then: full screen from its first answer" next_quiet "$later" "full screen"
    client weston-smoke
    check "kwin: another window takes the focus: free" eval 'next_quiet "$out" free && next_quiet "$later" free'
    kill "$CLIENT"
    check "kwin: it closes, the full-screen window has the focus again" \
        eval 'next_quiet "$out" "full screen" && next_quiet "$later" "full screen"'
    kill "$flower"
    check "kwin: the full-screen window closes: free" eval 'next_quiet "$out" free && next_quiet "$later" free'
}

if start_compositor sway sway -c /dev/null; then
    started=$((started + 1))
    on_sway
fi
# A copy without kwin_wayland's file capability, which a container may not grant;
# its window rule makes weston-flower's windows full screen.
cp /usr/bin/kwin_wayland "$E2E_TMP/kwin_wayland" 2>/dev/null
cp "$RK_PROBE" "$E2E_TMP/rk-x11probe"
mkdir -p "$E2E_TMP/kde-data/applications" "$E2E_TMP/kde-config"
printf '%s\n' "[General]" "count=1" "rules=1" "[1]" "wmclass=flower" "wmclassmatch=2" "types=1" \
    "fullscreen=true" "fullscreenrule=2" >"$E2E_TMP/kde-config/kwinrulesrc"
if start_compositor kwin env XDG_DATA_DIRS="$E2E_TMP/kde-data:/usr/share" \
    XDG_CONFIG_DIRS="$E2E_TMP/kde-config:/etc/xdg" "$E2E_TMP/kwin_wayland" --virtual --no-lockscreen \
    --socket wayland-rk; then
    started=$((started + 1))
    on_kwin
fi
[ "$started" -gt 0 ] || { echo "SKIP: no Wayland compositor could start here" >&2; exit 77; }
