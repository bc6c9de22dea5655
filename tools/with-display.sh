#!/usr/bin/env bash
# Runs a command with a virtual X display (Xvfb, 1920x1080), a window manager
# and a PulseAudio server with a null sink, and tears them down afterwards.
# Usage: tools/with-display.sh COMMAND [ARGS...]
set -euo pipefail

work=$(mktemp -d)
cleanup() {
    [ -n "${wm_pid:-}" ] && kill "$wm_pid" 2>/dev/null || true
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
    if [ -n "${pulse_pid:-}" ]; then kill "$pulse_pid" 2>/dev/null && wait "$pulse_pid" 2>/dev/null || true; fi
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

# Sound tests play through a null sink of a PulseAudio server of this run's
# own, named in PULSE_SERVER. Not the per-user server: a run that started that
# one would kill it at its end under every other run still playing into it, and
# a client without XDG_RUNTIME_DIR finds the per-user server through
# $XDG_CONFIG_HOME/pulse, which the tests point at a temporary folder.
mkdir "$work/pulse"
env -u DISPLAY PULSE_RUNTIME_PATH="$work/pulse" PULSE_STATE_PATH="$work/pulse" \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-target=stderr \
    --load="module-native-protocol-unix socket=$work/pulse/native auth-anonymous=1" \
    --load="module-null-sink" >"$work/pulse.log" 2>&1 &
pulse_pid=$!
export PULSE_SERVER="unix:$work/pulse/native"
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || { echo "PulseAudio did not start:"; cat "$work/pulse.log"; }

"$@"
