#!/usr/bin/env bash
# Checks a built melvanta .deb: the files it holds, and that its Depends name
# the package of every library the executable links plus the run-time plugin
# packages (tools/try-deb.sh installs and starts it).
# Usage: tools/check-deb.sh DEB
set -euo pipefail
deb=$(readlink -f "$1")
fail() { echo "FAIL: $*"; exit 1; }

contents=$(dpkg-deb --contents "$deb" | awk '{ print $6 }')
for path in ./usr/bin/melvanta ./usr/share/applications/melvanta.desktop \
    ./usr/share/metainfo/io.github.melvanta.Melvanta.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/melvanta.svg ./usr/share/icons/hicolor/48x48/apps/melvanta.png \
    ./usr/share/icons/hicolor/128x128/apps/melvanta.png ./usr/share/icons/hicolor/256x256/apps/melvanta.png \
    ./usr/share/melvanta/help.html ./usr/share/melvanta/DeskData.db ./usr/share/melvanta/TimeData.db \
    ./usr/share/melvanta/sounds/alarm.wav ./usr/share/melvanta/picture/1.jpg; do
    grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
outside=$(grep -v '^\./usr/' <<<"$contents" | grep -vx '\./' || true)
[ -z "$outside" ] || fail "the package puts files outside /usr: $outside"

depends=$(dpkg-deb --field "$deb" Depends)
# The package names alone, alternatives included.
depends_names=$(tr ',|' '\n\n' <<<"$depends" | awk 'NF { print $1 }')
package_of() { { dpkg -S "$1" 2>/dev/null || true; } | sed -n '1s/:.*//p'; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb --extract "$deb" "$work/root"
# Every library the executable names, by the package that holds it here.
for lib in $(objdump -p "$work/root/usr/bin/melvanta" | awk '$1 == "NEEDED" { print $2 }'); do
    path=$(ldconfig -p | awk -v lib="$lib" '$1 == lib && !found { print $NF; found = 1 }')
    # dpkg knows a file by the path its package ships it under: /lib or /usr/lib.
    pkg=""
    for candidate in "$path" "${path#/usr}" "/usr$path" "$(readlink -f "$path")"; do
        [ -n "$pkg" ] || pkg=$(package_of "$candidate")
    done
    [ -n "$pkg" ] || fail "no package holds $lib"
    grep -qxF "$pkg" <<<"$depends_names" || fail "Depends lacks $pkg (for $lib): $depends"
done
for pkg in libqt6sql6-sqlite gstreamer1.0-plugins-base gstreamer1.0-plugins-good fonts-wqy-zenhei; do
    grep -qxF "$pkg" <<<"$depends_names" || fail "Depends lacks the run-time package $pkg: $depends"
done
! grep -Eq 'libasan|libubsan' <<<"$depends" || fail "a sanitizer build was packaged: $depends"
echo "package checked: $(wc -l <<<"$contents") entries; Depends: $depends"
