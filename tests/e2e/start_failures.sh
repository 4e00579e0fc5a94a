#!/usr/bin/env bash
# A start that can neither run nor hand over says why in one line on standard error
# (Qt's log here) and exits with 4; a lock file that names no copy is taken over.
source "$(dirname "$0")/lib.sh" "$@"
start_display
socket=$XDG_RUNTIME_DIR/RespiteKeeperSingleInstance
AS=() # the user the program runs as, when not this one
fails_with() { # REASON [VARIABLE=VALUE...]: the program ends with 4 and that one line
    env "${@:2}" "${AS[@]}" "$RK_PROGRAM" >"$E2E_TMP/out" 2>&1 &
    E2E_PIDS+=($!)
    wait_exit 20 $!
    local lines
    lines=$(grep -c "^RespiteKeeper cannot start: .*$1" "$E2E_TMP/out")
    [ "$E2E_CODE,$lines" = 4,1 ] || { echo "exit $E2E_CODE: $(cat "$E2E_TMP/out")" >&2; false; }
}
mkdir "$socket"
check "a folder at the socket's path" fails_with "\"$socket\" is a folder"
rmdir "$socket" && echo data >"$socket"
check "a file at the socket's path" fails_with "\"$socket\" is a file"
check "which is kept" grep -qx data "$socket"
rm "$socket"
long=$E2E_TMP/$(printf 'r%.0s' $(seq 110))
mkdir -m 700 "$long"
check "a runtime folder whose path is too long for a socket" fails_with "longer than a socket" XDG_RUNTIME_DIR="$long"
# A read-only folder stops anyone but root: as root, this runs as a user of the tests' own.
own=$E2E_TMP/readonly
mkdir -p "$own/home" && mkdir -m 500 "$own/run"
if [ "$(id -u)" = 0 ]; then
    id "$WL_USER" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$WL_USER"
    chmod 711 "$E2E_TMP" && chown -R "$WL_USER" "$own"
    AS=("${WL_AS[@]}")
fi
check "a read-only runtime folder" fails_with "\"$own/run/RespiteKeeperSingleInstance\" (Permission denied)" \
    XDG_RUNTIME_DIR="$own/run" HOME="$own/home" XDG_CONFIG_HOME="$own/home/.config"
AS=()
printf 'garbled\n' >"$socket.lock"
start_program
check "a garbled lock file is taken over and the program runs" rk_wait_for 20 program_ready
check "and names it" test "$(head -1 "$socket.lock")" = "$E2E_LAST_PID"
