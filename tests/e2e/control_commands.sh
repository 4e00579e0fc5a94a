#!/usr/bin/env bash
# Commands for the running copy from the command line: each one's effect seen from
# outside (its status, the break screen, the settings window), a following status
# line told at each change, bad use and bad requests, and no running copy.
source "$(dirname "$0")/lib.sh" "$@"
start_display
# Runs a command: its output, error output and exit code go to OUT, ERR and CODE.
run() {
    OUT=$("$RK_PROGRAM" "$@" 2>"$E2E_TMP/err")
    CODE=$?
    ERR=$(cat "$E2E_TMP/err")
}
gives() { # CODE ARGS...: the exit code, with one line on stderr unless 0
    run "${@:2}"
    [ "$CODE" = "$1" ] && { [ "$1" = 0 ] || [ "$(printf '%s\n' "$ERR" | wc -l)" = 1 ]; } ||
        { echo "'${*:2}' gave $CODE: $ERR" >&2; false; }
}
state_is() { run --status --json && [ "$(jq -r .state <<<"$OUT")" = "$1" ]; }
# Copies of the program in this test's HOME: other tests run the same program beside it.
copies() {
    local pid count=0
    for pid in $(pgrep -f "^$RK_PROGRAM( |$)"); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "HOME=$HOME" && count=$((count + 1))
    done
    echo "$count"
}

check "without a running copy: exit 1 and one line" eval 'gives 1 --status && [[ $ERR == *"not running"* ]]'
check "a command never starts a copy" eval 'gives 1 --pause 30m && [ "$(copies)" = 0 ] && no "$TRAY"'
bad_use() {
    local args
    for args in "--pause 25h" "--pause 0m" "--pause soon" "--break" "--break coffee" "--bogus" "--json" \
        "--follow" "--resume --quit" "--status --pause"; do
        # shellcheck disable=SC2086 # one word each
        gives 2 $args && [[ $ERR == *"respitekeeper --help"* ]] && [ -z "$OUT" ] || return 1
    done
}
check "bad use: exit 2, one line naming it and pointing to --help" bad_use

store_settings microBreakDuration=15 autoStartAtBoot=false
start_program
copy=$E2E_LAST_PID
rk_wait_for 20 program_ready
status_line() { gives 0 --status && [[ $OUT =~ ^RespiteKeeper\;\ Next\ micro\ break\ in\ 2[01]\ m.*\;\ Next\ long\ break\ in\  ]]; }
check "--status prints the state and the times to the next breaks" status_line
check "--status --json: waybar's fields and the figures" eval 'gives 0 --status --json &&
    jq -e ".state == \"working\" and .class == \"working\" and (.nextMicroBreak | . > 1100 and . <= 1210) and
        .pauseLeft == null and .heldReason == null and (.text | test(\"^2[01] min$\")) and .percentage < 10" <<<"$OUT" >/dev/null'

# Requests as a program other than ours might send them: each answered with an
# error, none changes anything, and the copy answers on.
ask() { python3 - "$XDG_RUNTIME_DIR/RespiteKeeperSingleInstance" "$1" "${2:-1}" <<'PY'
import socket, sys
s = socket.socket(socket.AF_UNIX)
s.settimeout(5)
s.connect(sys.argv[1])
s.sendall(sys.argv[2].encode().decode("unicode_escape").encode("latin-1"))
if sys.argv[3] == "1":
    answer = b""
    try:
        while chunk := s.recv(4096):
            answer += chunk
    except (ConnectionResetError, socket.timeout):
        pass
    print(answer.decode(errors="replace").split("\n")[0])
s.close()
PY
}
bad_requests() {
    local request
    for request in "RK1 pause 0\n" "RK1 break coffee\n" "RK1 dance\n" "RK9 status\n" "hello\n" "$(printf 'x%.0s' {1..300})\n"; do
        answer=$(ask "$request")
        [[ $answer == error* ]] || { echo "\"$answer\" for $request" >&2; return 1; }
    done
    ask "RK1 pause 60" 0 # sent without its line's end, then gone
    state_is working || { echo "after a request cut short: $OUT" >&2; false; }
}
check "bad requests are answered with an error and change nothing" bad_requests

check "--settings brings the settings forward" eval 'gives 0 --settings && rk_wait_for 10 has "$DIALOG"'

# A client that follows the status, and when each of its lines came.
follow_lines() { [ "$(wc -l <"$E2E_TMP/follow")" -ge "$1" ]; }
last_state() { [ "$(tail -1 "$E2E_TMP/follow" | jq -r .state)" = "$1" ]; }
"$RK_PROGRAM" --status --json --follow >"$E2E_TMP/follow" 2>&1 &
follower=$!
E2E_PIDS+=("$follower")
check "--follow prints a line at once" rk_wait_for 5 follow_lines 1
lines=$(wc -l <"$E2E_TMP/follow")
rk_wait_for 3 false
check "and nothing each second while the state and the minutes stay" test "$(wc -l <"$E2E_TMP/follow")" -le $((lines + 1))

check "--pause 30m pauses; --follow tells it within 1 s" eval 'gives 0 --pause 30m && rk_wait_for 1 last_state paused'
check "the status shows the pause" eval 'run --status --json && jq -e ".state == \"paused\" and
    (.pauseLeft | . > 1790 and . <= 1800) and .nextMicroBreak == null and .text == \"Paused: 30 min\"" <<<"$OUT" >/dev/null'
refused() { gives 5 --break micro && [[ $ERR == *paused* ]] && state_is paused; }
check "--break is refused while paused: exit 5 and why" refused
check "--resume resumes" eval 'gives 0 --resume && rk_wait_for 1 last_state working && state_is working'

check "--break micro: its warning first" eval 'gives 0 --break micro && rk_wait_for 5 has "$POPUP" && rk_wait_for 1 last_state warning'
check "then the break screen; --follow tells it within 1 s" eval 'rk_wait_for 20 has "$FULL" && rk_wait_for 1 last_state break'
check "and the break holds keyboard and pointer" input_held
check "--pause during the break ends it at once and lets the input go" \
    eval 'gives 0 --pause 1h && rk_wait_for 3 no "$FULL" && input_free && state_is paused'
check "--resume: the break cut short comes again, its warning first" \
    eval 'gives 0 --resume && rk_wait_for 5 has "$POPUP" && rk_wait_for 1 last_state warning'

check "--quit ends the copy and the follower" eval 'gives 0 --quit && wait_exit 10 $copy && [ "$E2E_CODE" = 0 ] &&
    wait_exit 5 $follower && [ "$E2E_CODE" = 0 ]'
check "then: exit 1, no running copy" gives 1 --status
