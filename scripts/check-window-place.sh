#!/usr/bin/env bash
# Starts and closes (Alt+F4) the editor several times on a running X display with a window
# manager, with settings of its own, and prints where the window stood each time: a window
# that nobody moves must stay where it is. Optional: a place "X Y" to move the window to in
# the first run, and a settings file to start from.
#   DISPLAY=:NN scripts/check-window-place.sh [runs] [X Y] [settings file]
set -euo pipefail
cd "$(dirname "$0")/.."
exe=$PWD/build/app/velquin
runs=${1:-6}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/config QT_QPA_PLATFORM=xcb
if [ -n "${4:-}" ]; then
    mkdir -p "$XDG_CONFIG_HOME/Tolvard"
    cp "$4" "$XDG_CONFIG_HOME/Tolvard/Velquin.conf"
fi
for run in $(seq 1 "$runs"); do
    "$exe" >/dev/null 2>&1 &
    pid=$!
    window=""
    for _ in $(seq 1 50); do
        window=$(xdotool search --onlyvisible --pid "$pid" --name Velquin 2>/dev/null | head -1 || true)
        [ -n "$window" ] && break
        sleep 0.1
    done
    sleep 0.7
    if [ "$run" = 1 ] && [ -n "${3:-}" ]; then
        xdotool windowmove --sync "$window" "$2" "$3" || true
        sleep 0.3
    fi
    info=$(xwininfo -id "$window")
    field() { echo "$info" | sed -n "s/.*$1: *\(-\?[0-9]*\).*/\1/p"; }
    x=$(field "Absolute upper-left X") y=$(field "Absolute upper-left Y")
    echo "run $run: client at $x,$y, frame at $((x - $(field "Relative upper-left X"))),$((y - $(field "Relative upper-left Y"))), client size $(field Width)x$(field Height)"
    xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4
    wait "$pid" || true
done
