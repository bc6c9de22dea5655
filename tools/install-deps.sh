#!/usr/bin/env bash
# Installs every Debian package Melvanta needs to build, run and test.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail

BUILD_PACKAGES=(
    build-essential cmake dpkg-dev file
    qt6-base-dev qt6-multimedia-dev libqt6sql6-sqlite qt6-translations-l10n
    libxlsxwriter-dev libxcb1-dev libxcb-keysyms1-dev libxcb-screensaver0-dev libgl-dev pkg-config
    qt6-base-private-dev
    qt6-httpserver-dev qt6-websockets-dev libqrencode-dev
)
RUN_PACKAGES=(
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    fonts-wqy-zenhei
    xvfb xauth xdotool matchbox-window-manager trayer
    xserver-xephyr x11-xserver-utils
    pulseaudio pulseaudio-utils
    dbus-daemon
    python3 nodejs zbar-tools desktop-file-utils appstream
    chromium chromium-driver python3-selenium
)

missing=()
for pkg in "${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
