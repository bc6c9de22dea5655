#!/usr/bin/env bash
# Runs a command with a virtual X display (Xvfb, 1920x1080), a window manager
# and a PulseAudio server with a null sink, and tears them down afterwards.
# Usage: tools/with-display.sh COMMAND [ARGS...]
set -euo pipefail

work=$(mktemp -d)
cleanup() {
    [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    if [ -n "${started_pulse:-}" ]; then pulseaudio --kill 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display number and writes it to the pipe.
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1920x1080x24 -nolisten tcp -auth /dev/null >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
read -r -t 20 -u "$fd" display_number || { echo "Xvfb did not start:"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$display_number"

matchbox-window-manager -use_titlebar no >"$work/wm.log" 2>&1 &
wm_pid=$!

# Sound tests play through a null sink; a server that is already running is reused.
if ! pactl info >/dev/null 2>&1; then
    pulseaudio --start --exit-idle-time=-1 --daemonize=yes >"$work/pulse.log" 2>&1 && started_pulse=1 || true
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
fi

"$@"
