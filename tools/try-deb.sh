#!/usr/bin/env bash
# Installs a melvanta .deb with apt, starts the clock for a fresh user, removes
# the package again and checks that the user's data folder is untouched. It
# changes the system: run it on a throwaway machine or in a chroot, e.g. a
# `debootstrap --variant=minbase bookworm` of Debian 12.
# Usage: tools/try-deb.sh DEB
set -euo pipefail
deb=$(readlink -f "$1")
fail() { echo "FAIL: $*"; exit 1; }
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get install -y -q "$deb" >/dev/null || fail "apt could not install $deb"
command -v melvanta >/dev/null || fail "no melvanta on the PATH after installing"

user_home=$(mktemp -d)
trap 'rm -rf "$user_home"' EXIT
out=$(env -u MELVANTA_HOME -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$user_home" MELVANTA_REPORT_FIRST_PAINT=1 \
    QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" timeout 120 melvanta 2>&1) ||
    fail "the installed program did not start: $out"
grep -q '^first-paint' <<<"$out" || fail "the installed program painted no clock: $out"
data="$user_home/.local/share/Melvanta"
for item in DeskData.db TimeData.db sounds/alarm.wav picture/1.jpg; do
    [ -f "$data/$item" ] || fail "the per-user folder lacks $item"
done
[ -f /usr/share/melvanta/help.html ] || fail "no help page installed"

$SUDO apt-get remove --purge -y -q melvanta >/dev/null
[ ! -e /usr/bin/melvanta ] && [ ! -e /usr/share/melvanta ] || fail "removing the package left its files"
for item in DeskData.db TimeData.db sounds/alarm.wav picture/1.jpg; do
    [ -f "$data/$item" ] || fail "removing the package took the user's $item"
done
echo "installed, started for a user (its folder $data filled), removed; the user's folder kept"
