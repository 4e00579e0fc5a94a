#!/usr/bin/env bash
# The idle notices on real Wayland compositors: sway (KDE's org_kde_kwin_idle) and
# KWin (ext-idle-notify-v1), and weston, which offers neither. The program's idle
# source, set to 1.5 s, must be told when the user is away, no sooner, and told
# again at the next key. A compositor that cannot start here is skipped.
source "$(dirname "$0")/lib.sh" "$@"
export QT_QPA_PLATFORM=wayland
started=0

notices() { # NAME PROTOCOL INPUT...: the probe on the compositor that runs now
    local out=$E2E_TMP/$1.notices
    local began
    began=$(rk_now_ms)
    "$RK_PROBE" idle-notices 1500 30 >"$out" 2>"$out.log" &
    E2E_PIDS+=($!)
    notices_are() { [ "$(xargs <"$out")" = "$1" ]; }
    check "$1: told the user is away" rk_wait_for 10 notices_are "back away"
    check "$1: not before 1.5 s without input" test $(($(rk_now_ms) - began)) -ge 1500
    check "$1: through $2" grep -q "Idle time: the compositor's $2" "$out.log"
    if [ "$#" -gt 2 ]; then
        "${WL_AS[@]}" "${WL_ENV[@]}" "${@:3}"
        check "$1: and told again at a key" rk_wait_for 5 notices_are "back away back"
    fi
}

if start_compositor sway sway -c /dev/null; then
    started=$((started + 1))
    notices sway org_kde_kwin_idle wtype x
fi
# A copy without kwin_wayland's file capability, which a container may not grant.
cp /usr/bin/kwin_wayland "$E2E_TMP/kwin_wayland" 2>/dev/null
if start_compositor kwin "$E2E_TMP/kwin_wayland" --virtual --no-lockscreen --socket wayland-rk; then
    started=$((started + 1))
    notices kwin ext-idle-notify-v1
fi
if start_compositor weston weston --backend=headless-backend.so --socket=wayland-rk; then
    started=$((started + 1))
    "$RK_PROBE" idle-notices 1500 1 >"$E2E_TMP/weston.notices" 2>"$E2E_TMP/weston.log"
    check "weston: no idle source, so no freeze" test "$(xargs <"$E2E_TMP/weston.notices")" = lost
    check "weston: and the log says why" grep -q "offers neither ext-idle-notify-v1 nor org_kde_kwin_idle" \
        "$E2E_TMP/weston.log"
fi
[ "$started" -gt 0 ] || { echo "SKIP: no Wayland compositor could start here" >&2; exit 77; }
