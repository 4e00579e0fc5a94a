#!/usr/bin/env bash
# The session's services as sources of presence, each a mock on a bus of the
# test's own: logind on a system bus (a lock or a sleep as long as a long break
# starts the working period afresh; the sleep is heard of before it begins) and a
# notification server whose do-not-disturb holds a break.
source "$(dirname "$0")/lib.sh" "$@"
start_display 1280x800x24
start_session_bus
# A system bus of the test's own instead of the one that leads nowhere: only the
# mock logind is on it, which powers nothing off.
eval "$(dbus-daemon --session --fork --print-address=1 --print-pid=1 | { read -r a && read -r p &&
    echo "export DBUS_SYSTEM_BUS_ADDRESS=$a; E2E_PIDS+=($p)"; })"
/usr/bin/python3 -m dbusmock --system --template logind >"$E2E_TMP/logind.log" 2>&1 &
E2E_PIDS+=($!)
/usr/bin/python3 -m dbusmock org.freedesktop.Notifications /org/freedesktop/Notifications \
    org.freedesktop.Notifications >"$E2E_TMP/notifications.log" 2>&1 &
E2E_PIDS+=($!)
on_bus() { gdbus call "--$1" -d org.freedesktop.DBus -o /org/freedesktop/DBus -m org.freedesktop.DBus.NameHasOwner "$2" | grep -q true; }
check "the mock logind is on the system bus" rk_wait_for 20 on_bus system org.freedesktop.login1
check "the mock notification server is on the session bus" rk_wait_for 20 on_bus session org.freedesktop.Notifications
login1() { gdbus call --system -d org.freedesktop.login1 -o "$1" -m "$2" "${@:3}" >/dev/null; } # PATH METHOD ARGS...
notifications() { gdbus call --session -d org.freedesktop.Notifications -o /org/freedesktop/Notifications -m "$@" >/dev/null; }
login1 /org/freedesktop/login1 org.freedesktop.DBus.Mock.AddSession c1 seat0 1000 someone true
export XDG_SESSION_ID=c1
notifications org.freedesktop.DBus.Mock.AddProperty org.freedesktop.Notifications Inhibited "<true>"

store_settings microBreakInterval=3 microBreakDuration=3 longBreakDuration=2 autoStartAtBoot=false
start_program
says() { grep -q "$1" "$E2E_TMP/program.log"; }
check "the program listens to logind's lock" rk_wait_for 20 says "locked screen: logind's Lock, Unlock and LockedHint of session c1"
check "and to its sleep, with a delay lock" says "sleep: logind's PrepareForSleep, with a delay lock"
check "and to the notification server" says "do not disturb: the notification server's Inhibited property"
check "the break is held while do-not-disturb is on" rk_wait_for 20 says "Break held: do not disturb"
check "with no warning" no "$POPUP"
notifications org.freedesktop.DBus.Properties.Set org.freedesktop.Notifications Inhibited "<false>"
check "the warning comes once it is off" rk_wait_for 15 has "$POPUP"
check "and the break" rk_wait_for 20 has "$FULL"
check "which ends" rk_wait_for 20 no "$FULL"

# Longer than the long break of 2 s: each starts the working period afresh.
rested() { [ "$(grep -c "locked or asleep: the working period starts afresh" "$E2E_TMP/program.log")" = "$1" ]; }
two_seconds_since() { [ $(($(rk_now_ms) - $1)) -ge 2500 ]; }
login1 /org/freedesktop/login1/session/c1 org.freedesktop.login1.Session.Lock
locked=$(rk_now_ms)
rk_wait_for 5 two_seconds_since "$locked"
login1 /org/freedesktop/login1/session/c1 org.freedesktop.login1.Session.Unlock
check "back from a lock, the working period starts afresh" rk_wait_for 10 rested 1
delayed() { gdbus call --system -d org.freedesktop.login1 -o /org/freedesktop/login1 \
    -m org.freedesktop.login1.Manager.ListInhibitors | grep -q "'sleep', 'RespiteKeeper'"; }
check "the program delays a sleep until it has heard of it" delayed
sleep_signal() { login1 /org/freedesktop/login1 org.freedesktop.DBus.Mock.EmitSignal \
    org.freedesktop.login1.Manager PrepareForSleep b "[<$1>]"; }
sleep_signal true
slept=$(rk_now_ms)
let_go_of_sleep() { ! delayed; }
check "and lets go of the delay once it has" rk_wait_for 10 let_go_of_sleep
rk_wait_for 5 two_seconds_since "$slept"
sleep_signal false
check "back from a sleep, the working period starts afresh" rk_wait_for 10 rested 2
check "and the next sleep is delayed again" rk_wait_for 10 delayed

# GNOME's do-not-disturb, where GNOME Shell runs: its show-banners setting, read with
# gsettings (a stand-in here) whenever dconf tells of a change under it.
/usr/bin/python3 -m dbusmock org.gnome.Shell /org/gnome/Shell org.gnome.Shell >/dev/null 2>&1 &
E2E_PIDS+=($!)
/usr/bin/python3 -m dbusmock ca.desrt.dconf /ca/desrt/dconf/Writer/user ca.desrt.dconf.Writer >/dev/null 2>&1 &
E2E_PIDS+=($!)
check "GNOME Shell and dconf are on the session bus" rk_wait_for 20 on_bus session org.gnome.Shell
rk_wait_for 20 on_bus session ca.desrt.dconf
echo true >"$E2E_TMP/banners"
printf '#!/bin/sh\necho "$*" >>"%s.read"\n[ "$*" = "get org.gnome.desktop.notifications show-banners" ] && cat "%s"\n' \
    "$E2E_TMP/banners" "$E2E_TMP/banners" >"$E2E_TMP/fake-bin/gsettings"
chmod +x "$E2E_TMP/fake-bin/gsettings"
"$RK_PROBE" presence 300000 60 >"$E2E_TMP/presence" 2>/dev/null &
E2E_PIDS+=($!)
told() { grep -qx "$1" "$E2E_TMP/presence"; }
check "the presence reads GNOME's setting" rk_wait_for 20 told "source: do not disturb: GNOME's show-banners setting (dconf's Notify, read with gsettings)"
dconf_says() { gdbus call --session -d ca.desrt.dconf -o /ca/desrt/dconf/Writer/user \
    -m org.freedesktop.DBus.Mock.EmitSignal ca.desrt.dconf.Writer Notify sass "[<'$1'>, <@as $2>, <'tag'>]" >/dev/null; }
check "and starts free" rk_wait_for 10 told "quiet: free"
echo false >"$E2E_TMP/banners"
dconf_says /org/gnome/desktop/interface/ "['clock-format']"
dconf_says /org/gnome/desktop/notifications/show-banners "['']"
check "no banners is do-not-disturb" rk_wait_for 10 told "quiet: do not disturb"
check "read at the start and at a change of that setting only" test "$(wc -l <"$E2E_TMP/banners.read")" = 2
echo true >"$E2E_TMP/banners"
dconf_says /org/gnome/desktop/ "['notifications/show-banners', 'interface/clock-format']"
last_quiet_free() { [ "$(grep "^quiet:" "$E2E_TMP/presence" | tail -1)" = "quiet: free" ]; }
check "banners again is free" rk_wait_for 10 last_quiet_free

# The desktop's screen saver, active: away, as a locked session.
/usr/bin/python3 -m dbusmock org.freedesktop.ScreenSaver /org/freedesktop/ScreenSaver \
    org.freedesktop.ScreenSaver >/dev/null 2>&1 &
E2E_PIDS+=($!)
check "a screen saver is on the session bus" rk_wait_for 20 on_bus session org.freedesktop.ScreenSaver
screen_saver() { gdbus call --session -d org.freedesktop.ScreenSaver -o /org/freedesktop/ScreenSaver \
    -m org.freedesktop.DBus.Mock.EmitSignal org.freedesktop.ScreenSaver ActiveChanged b "[<$1>]" >/dev/null; }
last_away() { [ "$(grep "^away:" "$E2E_TMP/presence" | tail -1)" = "away: $1" ]; }
screen_saver true
check "its start is a locked screen" rk_wait_for 10 last_away "locked screen"
screen_saver false
check "and its end, back" rk_wait_for 10 last_away "at the screen"
