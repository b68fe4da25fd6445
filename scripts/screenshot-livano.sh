#!/usr/bin/env bash
# Shows Livano on the current X display connected to a camera, uses it as a person would
# (a palette, a temperature unit, the pointer on the image), and saves two pictures: the
# live image, and the camera's control panel open over it.
#   scripts/screenshot-livano.sh OUT_DIR CAMERA [PROGRAM]
# Clicks go through xdotool at the tool bar's fixed slots of 40 pixels.
set -euo pipefail
out=$1 camera=$2 program=${3:-install/bin/Livano}
mkdir -p "$out"
"$program" "$camera" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true' EXIT

program_name=Livano
source "$(dirname "$0")/xdotool-helpers.sh"

sleep 5
running
# Palette button (slot 3), then Ironbow: the eighth swatch, second of the third row.
click 140 20
click $((128 + 32 + 16)) $((48 + 2 * 32 + 16))
# Unit box (its right end is 64 pixels from the window's), then the factory temperature
# (Counts, radiance factory and user, then temperature).
click $((1024 - 64 - 82)) 20
xdotool key Down Down Down Return
sleep 0.5
# The pointer on the image for the spot meter.
xdotool mousemove 520 360
sleep 2
running
import -window root "$out/livano.png"
# Controller button (slot 4): the camera's own panel.
click 180 20 3
running
import -window root "$out/livano-controller.png"
echo "screenshots written to $out/livano.png and $out/livano-controller.png"
