#!/usr/bin/env bash
# Lists the Debian packages whose shared objects a running command maps,
# sampled while it runs: the libraries it links and the plugins it loads
# (Qt's platform, SQL and multimedia plugins, GStreamer's elements). Used to
# check the package's dependencies against what really runs.
# Usage: tools/runtime-packages.sh SECONDS COMMAND [ARGS...]
set -euo pipefail
seconds=$1
shift
maps=$(mktemp)
trap 'rm -f "$maps"' EXIT
"$@" >/dev/null 2>&1 &
pid=$!
end=$((SECONDS + seconds))
while [ $SECONDS -lt $end ] && kill -0 "$pid" 2>/dev/null; do
    # The command and everything it started (GStreamer's helpers among them).
    for p in $pid $(pgrep -P "$pid" || true); do
        awk '$6 ~ /\.so/ { print $6 }' "/proc/$p/maps" 2>/dev/null >>"$maps" || true
    done
    sleep 0.2
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
sort -u "$maps" | while read -r lib; do
    # dpkg knows a file by the path its package ships it under: /lib or /usr/lib.
    for candidate in "$lib" "${lib#/usr}" "/usr$lib" "$(readlink -f "$lib")"; do
        owner=$(dpkg -S "$candidate" 2>/dev/null | sed -n '1s/: .*//p' || true)
        [ -z "$owner" ] || break
    done
    [ -n "$owner" ] && tr ',' '\n' <<<"$owner" || echo "(no package) $lib"
done | sed 's/^ *//; s/:amd64$//' | sort -u
