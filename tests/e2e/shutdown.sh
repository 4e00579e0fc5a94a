#!/usr/bin/env bash
# The daily shutdown: a red 20-second popup, then the (fake) shutdown command.
source "$(dirname "$0")/lib.sh" "$@"
start_display 1280x800x24
# The set time is a whole minute at least 20 s away, so that it has not passed when
# the program first checks, and the warning starts within 80 s.
at=$(date -d "+$((10#$(date +%S) < 40 ? 1 : 2)) minute" +%H:%M)
store_settings autoStartAtBoot=false microBreakInterval=3600 shutdownEnabled=true \
    "shutdownHour=$((10#${at%:*}))" "shutdownMinute=$((10#${at#*:}))"
start_program
check "the shutdown warning appears" rk_wait_for 90 has "$POPUP"
shown=$(rk_now_ms)
check "the popup is red" rk_wait_for 5 popup_red
check "the fake shutdown is called after the count" rk_wait_for 40 test -s "$E2E_SHUTDOWN_CALLS"
check "not before the count's 20 seconds" test $(($(rk_now_ms) - shown)) -ge 18000
check "the popup goes" rk_wait_for 5 no "$POPUP"
more_calls() { [ "$(wc -l <"$E2E_SHUTDOWN_CALLS")" -gt 1 ]; }
one_call() { ! rk_wait_for 3 more_calls && [ "$(cat "$E2E_SHUTDOWN_CALLS")" = "shutdown -P now" ]; }
check "exactly one call" one_call
