#!/usr/bin/env bash
# Runs a program on the current X display, waits for it to settle, saves a picture of
# the screen and ends the program: scripts/screenshot.sh out.png seconds program [args...]
set -euo pipefail
out=$1 seconds=$2
shift 2
mkdir -p "$(dirname "$out")"
"$@" &
pid=$!
sleep "$seconds"
if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid" || true
    echo "screenshot: $1 ended before the picture was taken" >&2
    exit 1
fi
import -window root "$out"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
echo "screenshot written to $out"
