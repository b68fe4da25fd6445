#!/usr/bin/env bash
# Shows Reelvo's measurement tools on the current X display and saves two pictures: a
# sample with regions, colour bar and the measurement panel, and the panel's plots.
#   scripts/screenshot-measure.sh OUT_DIR [INSTALL_DIR]
# The regions come from a file beside the sample, as Reelvo keeps them; clicks go through
# xdotool at the tool bar's fixed slots of 40 pixels.
set -euo pipefail
out=$1 install=${2:-install}
mkdir -p "$out"
sample="$out/measure-sample.fits"
"$install/bin/zelkir-make-sample" -n 90 "$sample" >/dev/null
cat >"$sample.regions.json" <<'JSON'
{"format": "zelkir-regions", "version": 1, "regions": [
  {"kind": "box", "x1": 440, "y1": 322, "x2": 560, "y2": 420},
  {"kind": "ellipse", "x1": 290, "y1": 250, "x2": 330, "y2": 300},
  {"kind": "line", "x1": 40, "y1": 470, "x2": 600, "y2": 470},
  {"kind": "spot", "x1": 300, "y1": 185, "x2": 300, "y2": 185}],
 "objectParameters": {"emissivity": 0.95}}
JSON
"$install/bin/Reelvo" "$sample" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true' EXIT

program_name=Reelvo
source "$(dirname "$0")/xdotool-helpers.sh"

sleep 4
running
# Palette button (slot 3), then Ironbow: the eighth swatch, second of the third row.
click 140 20
click $((128 + 32 + 16)) $((48 + 2 * 32 + 16))
# Unit box, then the user temperature (the fifth unit).
click $((1024 - 64 - 82)) 20
xdotool key Down Down Down Down Return
sleep 0.5
# Measurement button (slot 7): the panel opens on its regions.
click 300 20 1.5
xdotool mousemove 700 300
sleep 1
running
import -window root "$out/reelvo-measure.png"
# The plots tab, then the figures of the first region over the whole file.
click 335 68
click 330 "${WORK_OUT_Y:-100}" 6
running
import -window root "$out/reelvo-plots.png"
echo "screenshots written to $out/reelvo-measure.png and $out/reelvo-plots.png"
