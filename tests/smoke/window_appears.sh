#!/usr/bin/env bash
# Starts the real program on a virtual X server and waits for its window to be mapped, with its class (which
# docks match to the menu entry) and its icon.
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QUILLMERE_SETTINGS_DIR="$work" TEMP="$work" QT_QPA_PLATFORM=xcb

xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    "$1" &
    pid=$!
    for _ in $(seq 1 150); do
        window=$(xwininfo -root -tree | grep -F "\"Quillmere\": (\"quillmere\" \"Quillmere\")" | awk "{print \$1}")
        if [[ -n "$window" ]]; then
            echo "window \"Quillmere\" of class Quillmere is on screen"
            xprop -id "$window" _NET_WM_ICON | grep -q "Icon (" || { echo "the window has no icon"; kill "$pid"; exit 1; }
            kill "$pid"
            wait "$pid" 2>/dev/null || true
            exit 0
        fi
        kill -0 "$pid" 2>/dev/null || { echo "the program ended before showing a window"; exit 1; }
        sleep 0.2
    done
    echo "no window \"Quillmere\" within 30 seconds"
    kill "$pid"
    exit 1' smoke "$program"
