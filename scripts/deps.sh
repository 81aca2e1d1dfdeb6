#!/usr/bin/env bash
# Installs the Debian packages that building and running Parlane need, with --package those that
# building its package needs, and with --test those the tests and fuzzers need too. Installs
# nothing when all are there.
set -euo pipefail

packages=(g++ cmake make qt6-base-dev libfontconfig-dev libxcb1-dev libgtest-dev libgmock-dev libbenchmark-dev
    libcap2-bin xdg-utils)
# Qt on Wayland, for sessions without XWayland or where QT_QPA_PLATFORM asks for it.
packages+=(qt6-wayland)
# The package: dpkg-shlibdeps finds its dependencies, and CPack asks `file` which files are
# programs.
if [[ "${1:-}" == "--package" || "${1:-}" == "--test" ]]; then
    packages+=(dpkg-dev file)
fi
if [[ "${1:-}" == "--test" ]]; then
    packages+=(clang libclang-rt-14-dev iproute2)
    # Samba's clients as the peers of the session and name services (nmblookup is in
    # samba-common-bin).
    packages+=(smbclient samba-common-bin)
    # Samba's daemons, which the listener shares its ports with (the tests start their own).
    packages+=(samba)
    # The desktop journeys: an X server, a window manager, an XEmbed tray, the tools that drive
    # and watch them, and a session bus.
    packages+=(xvfb openbox trayer xdotool wmctrl x11-utils x11-apps netpbm dbus-daemon xclip)
    # A dark theme (qt6ct), and the desktop as a screen reader reads it (AT-SPI and pyatspi).
    packages+=(qt6ct at-spi2-core python3-pyatspi)
    # A headless Wayland session (sway) and its virtual keyboard (wtype).
    packages+=(sway wtype)
    # The checkers of the package and of what it installs.
    packages+=(lintian desktop-file-utils appstream)
    # Line coverage (scripts/coverage.sh).
    packages+=(gcovr)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get -o DPkg::Lock::Timeout=300 update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 install -y -qq \
    --no-install-recommends "${missing[@]}"
