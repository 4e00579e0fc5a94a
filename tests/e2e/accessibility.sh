#!/usr/bin/env bash
# What a screen reader hears over AT-SPI: every control of the settings dialog by
# its name, in English and Chinese; the popup as an alert named by its title
# as it shows, the break screen by the break's kind as it takes the focus, the
# progress bar by name and value, and the focus back on the break screen when
# Postpone goes while it has it.
source "$(dirname "$0")/lib.sh" "$@"
start_display 1280x800x24
start_session_bus
# The accessibility bus of the test's own, on its own session bus.
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$E2E_TMP/a11y.log" 2>&1 &
LAUNCHER=$!
E2E_PIDS+=("$LAUNCHER")
bus_up() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q true
}
check "the accessibility bus starts" rk_wait_for 20 bus_up
# The screen reader's side: showing and focus changes, one line each.
EVENTS=$E2E_TMP/events
/usr/bin/python3 "$RK_SOURCE_DIR/tests/e2e/atspi.py" watch "$EVENTS" 2>"$E2E_TMP/watch.log" &
E2E_PIDS+=($!)
heard() { grep -qx "$1" "$EVENTS" 2>/dev/null; } # LINE (a grep pattern)
# THEN is heard after the first FIRST.
heard_after() { sed "1,/^$1\$/d" "$EVENTS" | grep -qx "$2"; } # FIRST THEN
check "the screen reader's side listens" rk_wait_for 20 heard ready
# The bus launcher's daemon and what it started go with the test.
for pid in $(pgrep -P "$LAUNCHER"); do
    E2E_PIDS+=("$pid")
    mapfile -t -O "${#E2E_PIDS[@]}" E2E_PIDS < <(pgrep -P "$pid")
done

# The settings dialog, page by page, in English and then in Chinese: every control
# named by what it is, not by its value, and not by the name of another.
read_dialog() { # FILE
    /usr/bin/python3 "$RK_SOURCE_DIR/tests/e2e/atspi.py" controls "$PROGRAM" >"$1" 2>>"$E2E_TMP/controls.log" &&
        [ -s "$1" ]
}
walk_dialog() { # LANGUAGE FILE
    store_settings "language=$1" autoStartAtBoot=false
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_program
    PROGRAM=$E2E_LAST_PID
    rk_wait_for 20 program_ready && "$RK_PROGRAM" --settings && rk_wait_for 30 read_dialog "$2"
    local read=$?
    "$RK_PROGRAM" --quit
    wait_exit 20 "$PROGRAM"
    return $read
}
# The tab row is left out where names are compared: Qt names it by its chosen page,
# and the focus and a voice command go to that page's tab, which has the name.
all_named() { ! awk -F'|' '{ n = split($4, v, "\t"); for (i = 1; i <= n; ++i) if ($3 == v[i]) print } $3 == ""' "$1" | grep .; }
names_unique() { ! grep -v '^[^|]*|page tab list|' "$1" | cut -d'|' -f1,3 | sort | uniq -d | grep .; }
row_named_by_page() { ! grep '|page tab list|' "$1" | awk -F'|' '$1 != $3' | grep .; }
check "the English dialog is read page by page" walk_dialog en "$E2E_TMP/en"
check "the Chinese dialog is read page by page" walk_dialog zh "$E2E_TMP/zh"
for language in en zh; do
    check "every control on every page is named, not by its value ($language)" all_named "$E2E_TMP/$language"
    check "no two controls on a page share a name ($language)" names_unique "$E2E_TMP/$language"
    check "the tab row goes by its chosen page ($language)" row_named_by_page "$E2E_TMP/$language"
done
same_controls() { [ "$(cut -d'|' -f2 "$E2E_TMP/en")" = "$(cut -d'|' -f2 "$E2E_TMP/zh")" ]; }
check "the same controls in both languages" same_controls
all_translated() { ! paste -d'\n' <(cut -d'|' -f2,3 "$1") <(cut -d'|' -f2,3 "$2") | uniq -d | grep .; }
check "each named in Chinese by a name of its own" all_translated "$E2E_TMP/en" "$E2E_TMP/zh"
# What each control is called, in English and in Chinese, for the log (the tab row
# once).
paste -d'|' <(cut -d'|' -f2,3 "$E2E_TMP/en") <(cut -d'|' -f3 "$E2E_TMP/zh") |
    sed 's/^page tab list|.*/page tab list|(the chosen page)/' | sort -u | tee "$E2E_TMP/named"
echo "controls named: $(wc -l <"$E2E_TMP/named") on $(cut -d'|' -f1 "$E2E_TMP/en" | sort -u | wc -l) pages"

store_settings microBreakInterval=3 microBreakDuration=20 autoStartAtBoot=false
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_program
PROGRAM=$E2E_LAST_PID
TREE=$E2E_TMP/tree
seen() { /usr/bin/python3 "$RK_SOURCE_DIR/tests/e2e/atspi.py" tree "$PROGRAM" >"$TREE" 2>&1 && grep -qx "$1" "$TREE"; }
check "the popup is announced as an alert named by its title" rk_wait_for 30 heard "showing 1 alert|Micro Break Starting"
SCREEN="focused 1 frame|Micro Break in progress"
check "the break screen takes the focus by the break's kind" rk_wait_for 30 heard "$SCREEN"
never_focused() { ! heard "focused 1 .*|Micro Break Starting"; }
check "the popup never had the focus" never_focused
check "with the exercise as its description" rk_wait_for 5 seen "frame|Micro Break in progress|[^|]\+|-"
check "the bar is named and counts" rk_wait_for 5 seen "progress bar|Break progress|[^|]*|[1-9][0-9]*"
check "its Postpone button shows" rk_wait_for 5 heard_after "$SCREEN" "showing 1 push button|Postpone"
xdotool key Tab
check "Tab brings the focus to it" rk_wait_for 5 heard "focused 1 push button|Postpone"
# Ten seconds into the break the button goes; the focus comes back to the screen.
check "when Postpone goes, the focus is on the break screen" rk_wait_for 15 heard_after "focused 1 push button|Postpone" "$SCREEN"
[ "$E2E_FAILED" = 0 ] || cat "$E2E_TMP/en" "$E2E_TMP/zh" "$E2E_TMP/controls.log" "$EVENTS" "$E2E_TMP/watch.log" "$TREE" >&2
