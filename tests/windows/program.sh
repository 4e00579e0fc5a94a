#!/usr/bin/env bash
# The Windows program as a Windows user gets it, run under Wine on a virtual display
# with jwm, whose tray Wine docks its tray icons into: the silent installer, the
# installed program (tray icon, settings and log-on entry in the registry, the entry
# following the settings dialog's auto-start box), a break (the popup, the break
# screen holding the keys of another program, Alt+F4, the cursor clip, Postpone, the
# sounds at its start and end), a second start and five at once, the commands for
# the running copy (--status, --pause, --resume, --break, --quit), the break
# history, a break held during a call (the microphone in use, in the privacy store),
# the Chinese texts, the shutdown popup (the program is stopped there: nothing ever
# shuts down), and the uninstaller.
#   tests/windows/program.sh INSTALLER KEY_RECORDER PROBE ARTIFACT_DIR
installer=$1 recorder_exe=$2
shift 2
source "$(dirname "$0")/../e2e/lib.sh" /nonexistent "$@"
W=/usr/lib/wine/wine64 USER=${USER:-$(id -un)}
export WINEPREFIX=$E2E_TMP/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
reg() { "$W" reg "$@" 2>/dev/null | tr -d '\r'; }
KEY='HKCU\Software\RespiteKeeper\RespiteKeeper' RUN='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
UNINSTALL='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\RespiteKeeper'
settings() { # KEY=VALUE...: the stored settings, before the program starts
    reg delete "$KEY" /f >/dev/null
    for pair in version=2 autoStartAtBoot=true "$@"; do reg add "$KEY" /v "${pair%%=*}" /d "${pair#*=}" /f >/dev/null; done
}
# The program's copies in this run's Wine prefix only: another run on the machine, in
# a prefix of its own, is not this one's to count or end.
own_copies() {
    local pid
    for pid in $(pgrep -f '[R]espiteKeeper\.exe$'); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
    done
}
copies() { own_copies | wc -l; }
# (A function, so that each try counts again.)
none_left() { [ "$(copies)" = 0 ]; }
stop_all() { own_copies | xargs -r kill; rk_wait_for 10 none_left; }
wine_end() { stop_all; /usr/lib/wine/wineserver -k 2>/dev/null; }
trap 'wine_end; e2e_end' EXIT

start_display 1280x800x24
"$W" wineboot --init >"$E2E_TMP/wineboot.log" 2>&1
"$W" "$installer" /S
app='C:\users\'"$USER"'\AppData\Local\Programs\RespiteKeeper\RespiteKeeper.exe'
installed() { [ -f "$WINEPREFIX/drive_c/users/$USER/AppData/Local/Programs/RespiteKeeper/RespiteKeeper.exe" ]; }
check "the silent installer puts the program and its uninstall entry in place" \
    eval 'rk_wait_for 30 installed && reg query "$UNINSTALL" /v QuietUninstallString >/dev/null'
# shellcheck disable=SC2034 # start_program runs it
RK_PROGRAM=$E2E_TMP/program
printf '#!/bin/sh\nexec %s "%s"\n' "$W" "$app" >"$RK_PROGRAM" && chmod +x "$RK_PROGRAM"

# A break every few seconds, with its sounds, and another program of the session to
# type into.
settings microBreakInterval=3 microBreakDuration=20 backgroundColor=#2e7d32 idlePauseEnabled=false \
    breakSoundEnabled=true
"$W" "$recorder_exe" 'C:\keys.txt' >/dev/null 2>&1 &
keys=$WINEPREFIX/drive_c/keys.txt
# Wine's trace of winmm shows each sound the program starts (Wine's empty sound
# scheme has nothing to play).
WINEDEBUG=trace+winmm start_program
# The sounds asked for so far, by their first letters after "System": NANAN...
sounds() { grep -o 'proc_PlaySound SoundName=L"System[A-Za-z]*"' "$E2E_TMP/program.log" | cut -d'"' -f2 | cut -c7 | tr -d '\n'; }
# Whether every start sound has at most one end sound after it, and the last is LETTER.
sounds_end_in() { [[ $(sounds) =~ ^(NA)*N?$ && $(sounds) == *"$1" ]]; } # LETTER
# Wine docks the icon as a window of its explorer in jwm's tray (the bottom 32 rows).
docked() {
    for id in $(xdotool search --onlyvisible --class explorer.exe 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        [ "$WIDTH" -le 32 ] && [ "$Y" -ge 768 ] && screen_is "srgb(46,125,50)" $((X + WIDTH / 2)),$((Y + 4)) && return
    done
    false
}
# Whether the tray icon shows the colour somewhere down its middle.
tray_shows() { # COLOUR
    for id in $(xdotool search --onlyvisible --class explorer.exe 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        [ "$WIDTH" -le 32 ] && [ "$Y" -ge 768 ] &&
            pixels $(seq -f "$((X + WIDTH / 2)),%g" "$Y" 2 $((Y + HEIGHT - 1))) | grep -qF "$1" && return
    done
    false
}
check "the tray icon is docked in jwm's tray, in the working picture's green" rk_wait_for 30 docked
run_value() { reg query "$RUN" /v RespiteKeeper | grep -qF "REG_SZ    \"$app\""; }
check "the log-on entry is the program's quoted path" rk_wait_for 10 run_value
check "the warning popup comes" rk_wait_for 60 has "$POPUP"
placed() { read -r _ px py _ ph <<<"$(window_where "$POPUP")" && [ "$px,$((py + ph))" = 899,747 ]; }
check "in the bottom-right corner of the work area" rk_wait_for 5 placed
check "then the break screen over the whole screen in its colour" \
    eval 'rk_wait_for 20 has "$FULL" && rk_wait_for 5 screen_is "srgb(46,125,50)" 20,20 1270,790'
pointer_held() { [ "$("$RK_PROBE" grab-state | cut -d' ' -f2)" = pointer=held ]; }
check "the cursor is clipped to it" rk_wait_for 5 pointer_held
check "the break's start plays the sound scheme's SystemNotification" rk_wait_for 5 sounds_end_in N
# Types into a window once it has the focus: WINDOW TEXT...
type_into() { xdotool windowactivate --sync "$1" && rk_wait_for 5 focused "$1" && xdotool type --delay 50 "${@:2}"; }
recorder=$(xdotool search --name rk-key-recorder | head -n1)
held_back() { type_into "$recorder" held && ! rk_wait_for 2 test -s "$keys"; }
reach_again() { type_into "$recorder" free && rk_wait_for 5 grep -qx free "$keys"; }
check "keys typed into another program reach nothing" held_back
read -r screen _ <<<"$(window_where "$FULL")"
xdotool windowactivate --sync "$screen" key alt+F4
check "Alt+F4 on the break screen leaves it up" eval '! rk_wait_for 3 no "$FULL"'
check "the break ends" rk_wait_for 40 no "$FULL"
check "and its end SystemAsterisk, once" rk_wait_for 5 sounds_end_in A
check "then the keys reach the other program again" reach_again
check "the next break screen comes" rk_wait_for 30 has "$FULL"
check "its Postpone button shows" rk_wait_for 5 postpone_shown
xdotool mousemove 640 720 click 1
check "Postpone ends the break" rk_wait_for 5 no "$FULL"
check "the next one's start plays its sound, and as it was cut short, no end sound" \
    eval 'sounds_end_in N && ! rk_wait_for 2 sounds_end_in A'

check "a second start hands over, one copy runs" eval 'hands_over 30 && [ "$(copies)" = 1 ]'
check "and the settings dialog comes to the front" rk_wait_for 10 has "$DIALOG"
import -window root "$RK_ARTIFACTS/windows-settings.png" # the ticked boxes' check marks
# The General tab's auto-start box (where Wine's fonts put it), seen to change on the
# screen (blue ticked, white clear), then OK (123 pixels in from the right edge, as
# the dialog is as wide as its tab row needs). (xdotool's geometry of a framed window
# is off by the frame; xwininfo's is not.)
toggle_auto_start() {
    local id dx dy dw was
    read -r id _ <<<"$(window_where "$DIALOG")"
    read -r dx dy dw <<<"$(xwininfo -id "$id" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
        /Width:/ { w = $2 } END { print x, y, w }')"
    local box=$((dx + 54)),$((dy + 395))
    # shellcheck disable=SC2034 # read by the eval below
    was=$(pixels "$box")
    xdotool mousemove $((dx + 60)) $((dy + 400)) click 1
    rk_wait_for 5 eval '[ "$(pixels "$box")" != "$was" ]' && xdotool mousemove $((dx + dw - 123)) $((dy + 472)) click 1
}
no_run_value() { ! reg query "$RUN" /v RespiteKeeper >/dev/null; }
toggle_auto_start
check "clearing its auto-start box takes the log-on entry away" rk_wait_for 10 no_run_value
toggle_again() { hands_over 30 && rk_wait_for 10 has "$DIALOG" && toggle_auto_start && rk_wait_for 10 run_value; }
check "and ticking it again puts the entry back" toggle_again
stop_all
for _ in 1 2 3 4 5; do start_program; done
one_copy() { [ "$(copies)" = 1 ]; }
check "five starts at once leave one copy" eval 'rk_wait_for 60 one_copy && ! rk_wait_for 5 eval "! one_copy"'
stop_all

# Commands for the running copy, from another copy as a console would run it. Its
# output and errors go to files: under Wine as on Windows, a redirected stream is
# the GUI program's own, without a console.
run_command() { # ARGUMENT...: the exit code in $code, the output (without CRs) in $out, the errors in $err
    timeout 60 "$W" "$app" "$@" >"$E2E_TMP/command.out" 2>"$E2E_TMP/command.err"
    code=$? out=$(tr -d '\r' <"$E2E_TMP/command.out") err=$(tr -d '\r' <"$E2E_TMP/command.err")
}
exits() { # CODE ARGUMENT...
    run_command "${@:2}"
    [ "$code" = "$1" ] || { echo "exit $code, output \"$out\", errors \"$err\" of ${*:2}" >&2; false; }
}
state_is() { exits 0 --status --json && [[ $out == *'"state":"'$1'"'* ]]; } # STATE
run_command --status
check "with no running copy, --status exits with 1 and says so on the standard error" \
    eval '[ "$code" = 1 ] && [ -z "$out" ] && [[ $err == *"not running"* ]]'
settings microBreakInterval=3600 idlePauseEnabled=false
start_program
check "--status prints the next breaks' times, and exits with 0" \
    eval 'rk_wait_for 60 eval "run_command --status; [ \$code = 0 ]"; exits 0 --status && [[ $out == *"Next micro break in "* ]]'
check "--status --json: one JSON object, working" eval 'state_is working && [ "$(wc -l <<<"$out")" = 1 ]'
check "--pause 30m pauses the breaks" eval 'exits 0 --pause 30m && state_is paused'
check "--resume resumes them" eval 'exits 0 --resume && state_is working'
check "--break micro brings the popup, then the break screen" \
    eval 'exits 0 --break micro && rk_wait_for 30 eval "has \"\$POPUP\" || has \"\$FULL\""'
check "--bogus is bad use: exit 2, one line on the standard error" \
    eval 'exits 2 --bogus && [ -z "$out" ] && [ "$(wc -l <<<"$err")" = 1 ] && [[ $err == *"--bogus"* ]]'
check "--pause 25h is bad use too" exits 2 --pause 25h
check "--quit ends the program" eval 'exits 0 --quit && rk_wait_for 20 none_left'
# The break history is in %LOCALAPPDATA%: the first break above was taken, the
# second postponed.
history=$WINEPREFIX/drive_c/users/$USER/AppData/Local/RespiteKeeper/history.txt
recorded() { grep -qP '^RespiteKeeper history\t1$' "$history" && grep -qP '\ttaken\t0$' "$history" && grep -qP '\tpostponed\t0$' "$history"; }
check "the break history in %LOCALAPPDATA% has the break taken and the one postponed" recorded

# A call: another program uses the microphone, as the privacy store tells. A break
# that falls due waits, with the tray's held picture, and comes once the call ends.
CALL='HKCU\Software\Microsoft\Windows\CurrentVersion\CapabilityAccessManager\ConsentStore\microphone\NonPackaged\C:#Calls#caller.exe'
reg add "$CALL" /v LastUsedTimeStart /t REG_QWORD /d 133800000000000000 /f >/dev/null
reg add "$CALL" /v LastUsedTimeStop /t REG_QWORD /d 0 /f >/dev/null
settings microBreakInterval=3 microBreakDuration=3 idlePauseEnabled=false
start_program
check "a break that falls due during the call is held: the tray shows the held picture" \
    rk_wait_for 30 tray_shows "srgb(94,53,177)"
check "and no popup comes" no "$POPUP"
import -window root "$RK_ARTIFACTS/windows-held.png"
reg add "$CALL" /v LastUsedTimeStop /t REG_QWORD /d 133800000600000000 /f >/dev/null
check "the popup comes once the call has ended" rk_wait_for 15 has "$POPUP"
stop_all

# In Chinese, with the daily shutdown at a whole minute two to three minutes away.
at=$((($(date +%s) / 60 + 3) * 60))
settings language=zh microBreakInterval=3600 shutdownEnabled=true "shutdownHour=$((10#$(date -d @$at +%H)))" \
    "shutdownMinute=$((10#$(date -d @$at +%M)))"
start_program
# The warning comes 59 seconds before the set time; the program is stopped ten
# seconds after that at the latest, long before the warning's 20 seconds are up.
rk_wait_for $((at - 49 - $(date +%s))) popup_red
shown=$?
import -window root "$RK_ARTIFACTS/windows-shutdown-popup-zh.png"
stop_all
check "the red shutdown popup comes on time, in Chinese (see windows-shutdown-popup-zh.png)" test "$shown" = 0
check "and nothing is shut down" test ! -e "$E2E_SHUTDOWN_CALLS"

"$W" "$WINEPREFIX/drive_c/users/$USER/AppData/Local/Programs/RespiteKeeper/Uninstall.exe" /S
# (reg answers a missing key with an exit code, and its message on standard output.)
gone_all() {
    ! installed && ! reg query "$RUN" /v RespiteKeeper >/dev/null && ! reg query "$KEY" >/dev/null &&
        ! reg query "$UNINSTALL" >/dev/null
}
check "the uninstaller takes the program, its log-on entry, settings and uninstall entry away" rk_wait_for 30 gone_all
