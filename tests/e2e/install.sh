#!/usr/bin/env bash
# The program as installed: cmake --install into a staging folder and the Debian
# package unpacked into a root of its own, never onto this machine. The launcher
# and metadata pass their validators, the package holds what the install holds and
# lintian finds no error, and the unpacked program runs with its tray icon (and finds
# its Wayland module).
source "$(dirname "$0")/lib.sh" "$@"
stage=$E2E_TMP/stage
DESTDIR=$stage cmake --install "$RK_BUILD_DIR" --prefix /usr >/dev/null
app=org.example.RespiteKeeper share=$stage/usr/share
check "the launcher is valid" desktop-file-validate "$share/applications/$app.desktop"
check "the metadata is valid" appstreamcli validate --no-net "$share/metainfo/$app.metainfo.xml"
check "the launcher starts the installed program, by its full path (as KWin wants it)" \
    test "$(sed -n 's/^Exec=//p' "$share/applications/$app.desktop")" = /usr/bin/respitekeeper \
    -a -x "$stage/usr/bin/respitekeeper"
check "the launcher's icon is there, scalable and in 48x48" \
    test -f "$share/icons/hicolor/scalable/apps/$app.svg" -a -f "$share/icons/hicolor/48x48/apps/$app.png"

cpack -G DEB -B "$E2E_TMP/package" --config "$RK_BUILD_DIR/CPackConfig.cmake" >/dev/null 2>&1
deb=$(ls "$E2E_TMP"/package/respitekeeper_*_*.deb)
check "the package has the install's files" \
    test "$(dpkg-deb -c "$deb" | awk '{ print $6 }' | grep -v '/$' | sort)" = "$(cd "$stage" && find . -type f | sort)"
check "lintian runs and finds no error in the package" lintian --fail-on error "$deb"
root=$E2E_TMP/root
dpkg-deb -x "$deb" "$root"

start_display
store_settings
RK_PROGRAM=$root/usr/bin/respitekeeper
start_program
check "the unpacked program shows its tray icon" rk_wait_for 20 has "$TRAY"
check "and writes its log-on entry with its own path to try" \
    rk_wait_for 5 grep -qx "TryExec=$RK_PROGRAM" "$XDG_CONFIG_HOME/autostart/RespiteKeeper.desktop"
if start_compositor sway sway -c /dev/null; then
    check "the unpacked program finds its Wayland module" eval 'env -u RESPITEKEEPER_MODULE_DIR \
        QT_QPA_PLATFORM=wayland "$RK_PROGRAM" --diagnose 2>&1 |
        grep -q "idle time: the compositor.s org_kde_kwin_idle"'
fi
