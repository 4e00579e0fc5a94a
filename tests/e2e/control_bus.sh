#!/usr/bin/env bash
# The running program's commands and state on the session bus: what introspection
# shows, each command and its refusals, one PropertiesChanged per change of state
# and none while the state stays, and a name another program owns already.
source "$(dirname "$0")/lib.sh" "$@"
start_display 1280x800x24
start_session_bus
store_settings microBreakInterval=1800 microBreakDuration=3 idlePauseEnabled=false autoStartAtBoot=false
start_program
program=$E2E_LAST_PID
NAME=org.example.RespiteKeeper OBJECT=/org/example/RespiteKeeper
on_bus() { gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus -m org.freedesktop.DBus.NameHasOwner "$1" | grep -q true; }
rk_wait_for 20 on_bus $NAME || { fail "the program takes its name on the session bus"; exit 1; }
call() { gdbus call --session -d $NAME -o $OBJECT -m "org.example.RespiteKeeper1.$1" "${@:2}" >/dev/null; } # METHOD ARGS...
property() { gdbus call --session -d $NAME -o $OBJECT -m org.freedesktop.DBus.Properties.Get org.example.RespiteKeeper1 "$1" | sed -E "s/^\(<'?([^>']*)'?>,\)$/\1/"; }
state_is() { [ "$(property State)" = "$1" ]; }
between() { local value; value=$(property "$1") && [ "$value" -ge "$2" ] && [ "$value" -le "$3" ]; } # PROPERTY MIN MAX
# The call fails with the interface's error of that name, and a reason.
refused() { # ERROR METHOD ARGS...
    local out
    if out=$(call "${@:2}" 2>&1 >/dev/null); then echo "done, not refused" >&2 && return 1; fi
    [[ "$out" == *"GDBus.Error:org.example.RespiteKeeper1.Error.$1: "?* ]] || { echo "$out" >&2 && false; }
}

gdbus introspect --session -d $NAME -o $OBJECT >"$E2E_TMP/introspection"
shows() { grep -Eq "$1" "$E2E_TMP/introspection"; }
check "introspection shows the interface" shows "interface org.example.RespiteKeeper1 \{"
check "with its methods" eval 'shows "Pause\(in +u seconds\)" && shows "TakeBreak\(in +s kind\)" &&
    shows "Resume\(\)" && shows "ShowSettings\(\)" && shows "Quit\(\)"'
check "and its read-only properties" eval 'shows "readonly s State\b" && shows "readonly i NextMicroBreak\b" &&
    shows "readonly i NextLongBreak\b" && shows "readonly i PauseLeft\b"'
check "the times tell no change of theirs" test "$(grep -c 'EmitsChangedSignal("false")' "$E2E_TMP/introspection")" = 3

gdbus monitor --session -d $NAME -o $OBJECT >"$E2E_TMP/monitor" 2>&1 &
E2E_PIDS+=($!)
# Once the name's owner shows, the monitor's match is in place.
monitoring() { grep -q "is owned by" "$E2E_TMP/monitor"; }
rk_wait_for 10 monitoring || fail "the monitor watches the program"
# The states PropertiesChanged told so far are exactly these.
told() { [ "$(grep -o "PropertiesChanged ('org.example.RespiteKeeper1', {'State': <'[a-z]*'>}, @as \[\])" \
    "$E2E_TMP/monitor" | cut -d"'" -f6 | xargs)" = "$*" ]; }

check "the breaks run" state_is working
check "the next micro break is in 30 minutes and its warning at most" between NextMicroBreak 1 1810
check "no pause is left" between PauseLeft -1 -1
check "a pause of 0 s is a bad argument" refused InvalidArgument Pause 0
check "and one longer than a day" refused InvalidArgument Pause 90000
check "and a break of a kind there is not" refused InvalidArgument TakeBreak nap
check "which change nothing" state_is working

check "Pause 60 is done" call Pause 60
check "the breaks are paused" state_is paused
check "for 60 s" between PauseLeft 50 60
check "with no next break while paused" eval 'between NextMicroBreak -1 -1 && between NextLongBreak -1 -1'
check "a break asked for while paused is refused" refused Refused TakeBreak micro
check "and changes nothing" state_is paused
check "Resume is done" call Resume
check "the breaks run again" state_is working
check "the pause and the resumption are told, once each" rk_wait_for 5 told paused working
sleep 5
check "and nothing more over 5 s of working" told paused working

check "TakeBreak micro is done" call TakeBreak micro
check "its warning comes" rk_wait_for 5 state_is warning
check "on the screen" rk_wait_for 10 has "$POPUP"
check "then the break" rk_wait_for 20 state_is break
check "on the screen" rk_wait_for 10 has "$FULL"
check "then work again" rk_wait_for 20 state_is working
check "each change told once" rk_wait_for 5 told paused working warning break working

check "ShowSettings is done" call ShowSettings
check "the settings window shows" rk_wait_for 10 has "$DIALOG"
check "Quit is done" call Quit
wait_exit 20 "$program"
check "and the program ends, with 0" test "$E2E_CODE" = 0
check "its name goes from the bus" rk_wait_for 5 eval '! on_bus $NAME'
check "having told no other change" told paused working warning break working

# Another program has the name: the program says so, and works on without it.
/usr/bin/python3 -m dbusmock $NAME /other org.example.Other >/dev/null 2>&1 &
E2E_PIDS+=($!)
check "another program owns the name" rk_wait_for 20 on_bus $NAME
start_program
says() { grep -q "$1" "$E2E_TMP/program.log"; }
check "the program says the name is taken" rk_wait_for 20 says "Session bus: the name $NAME is taken"
check "and runs on" eval 'rk_wait_for 10 program_ready && alive $E2E_LAST_PID'
