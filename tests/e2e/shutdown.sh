#!/usr/bin/env bash
# The daily shutdown: a red 20-second popup, then the (fake) shutdown command;
# Postpone on the popup calls nothing.
source "$(dirname "$0")/lib.sh" "$@"
start_display 1280x800x24

# The set time is the next whole minute, so the warning starts within a minute.
set_time_ahead() {
    local at
    at=$(date -d '+1 minute' +%H:%M)
    store_settings autoStartAtBoot=false microBreakInterval=3600 shutdownEnabled=true \
        "shutdownHour=$((10#${at%:*}))" "shutdownMinute=$((10#${at#*:}))"
}
calls() { [ -f "$E2E_SHUTDOWN_CALLS" ] && wc -l <"$E2E_SHUTDOWN_CALLS" || echo 0; }

set_time_ahead
start_program
program=$E2E_LAST_PID
check "the shutdown warning appears" rk_wait_for 70 has_popup
read -r popup px py _ ph <<<"$(popup_window)"
check "it sits in the bottom-right corner ($px,$py)" test "$px,$py" = "899,607"
sleep 1
screenshot shutdown-popup
# The painted background is red (180, 30, 30 at alpha 220, over black without a compositor).
background=$(pixel "$RK_ARTIFACTS/shutdown-popup.png" $((px + 20)) $((py + ph / 2)))
check "the popup is red ($background)" bash -c "[[ '$background' =~ ^srgba?\(1[4-8][0-9],[23][0-9],[23][0-9] ]]"
check "nothing is called before the count ends" test "$(calls)" = 0
check "the fake shutdown is called after the count" rk_wait_for 30 test -s "$E2E_SHUTDOWN_CALLS"
sleep 2
check "exactly one call: $(cat "$E2E_SHUTDOWN_CALLS" 2>/dev/null)" test "$(cat "$E2E_SHUTDOWN_CALLS")" = "shutdown -P now"
check "the popup has gone" no_popup
kill -TERM "$program"
wait "$program" 2>/dev/null
rm -f "$E2E_SHUTDOWN_CALLS"

set_time_ahead
start_program
program=$E2E_LAST_PID
check "the warning appears again" rk_wait_for 70 has_popup
read -r popup px py _ ph <<<"$(popup_window)"
xdotool mousemove $((px + 180)) $((py + ph - 28)) click 1
check "Postpone hides the popup" rk_wait_for 5 no_popup
sleep 25
check "after Postpone nothing is called" test ! -e "$E2E_SHUTDOWN_CALLS"
check "the program runs on" alive "$program"
finish
