# shellcheck shell=bash
# The Debian packages RespiteKeeper needs, and a way to install the missing ones.

RK_BUILD_PACKAGES=(
    cmake make g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-qpa-plugins libqt6svg6
    libgl-dev libxkbcommon-dev libxcb1-dev libxcb-screensaver0-dev libxcb-sync-dev libxcb-xinerama0-dev
    qt6-wayland-dev qt6-base-private-dev qt6-wayland libwayland-dev wayland-protocols plasma-wayland-protocols
    libpipewire-0.3-dev libpulse-dev libcanberra-dev
)
# A virtual display with a tray, and fonts for both languages.
RK_DISPLAY_PACKAGES=(xvfb xauth jwm x11-utils fonts-dejavu-core fonts-wqy-microhei)
# Driving the real program in the tests (two monitors on Xorg's dummy driver under
# icewm; headless Wayland compositors: sway, KWin, weston; a PipeWire daemon for
# calls), checking the installed
# program and its package, and the Windows check (MinGW, and Wine to run the plain
# Win32 units).
RK_TEST_PACKAGES=(procps xdotool imagemagick xserver-xorg-core xserver-xorg-video-dummy icewm
    sway wtype grim jq kwin-wayland weston dbus-daemon python3-dbusmock libglib2.0-bin
    pipewire pipewire-bin wireplumber pulseaudio-utils pipewire-pulse
    libcanberra0 libcanberra-pulse sound-theme-freedesktop
    at-spi2-core python3-pyatspi
    desktop-file-utils appstream lintian dpkg-dev file
    g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine64)

rk_missing_packages() {
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || echo "$pkg"
    done
}

# Installs what is missing (as root), or says the one command to run.
rk_install_packages() {
    local missing
    mapfile -t missing < <(rk_missing_packages "$@")
    [ "${#missing[@]}" -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq &&
            apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    else
        echo "Missing Debian packages. Run this, then try again:" >&2
        echo "  sudo apt-get install --no-install-recommends ${missing[*]}" >&2
        return 1
    fi
}

rk_configure_and_build() { # BUILD_DIR [TARGET...]
    local build=$1
    shift
    cmake -S "$RK_ROOT" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || return 1
    if [ "$#" -gt 0 ]; then
        local t args=()
        for t in "$@"; do args+=(--target "$t"); done
        cmake --build "$build" --parallel "$(nproc)" "${args[@]}"
    else
        cmake --build "$build" --parallel "$(nproc)"
    fi
}
