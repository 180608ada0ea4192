#!/usr/bin/env bash
# Starts the editor on the shipped sample. Without a display it runs under Xvfb, saves a
# screenshot to build/screenshot.png and closes the program.
set -euo pipefail
cd "$(dirname "$0")/.."
exe=build/app/velquin
sample=examples/sample.ini
if [ ! -x "$exe" ]; then
    echo "$exe is not built: run 'make build' first." >&2
    exit 1
fi
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$exe" "$sample"
fi
xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
    "$0" "$1" & pid=$!
    sleep 3
    import -window root build/screenshot.png
    kill $pid; wait $pid 2>/dev/null || true
' "$exe" "$sample"
echo "No display: screenshot saved to build/screenshot.png"
