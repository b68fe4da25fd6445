#!/usr/bin/env bash
# Renders the window icon of every program from viewer-common/icon/QELT.svg into the
# square RGBA PNG sizes the programs compile in. The PNGs are committed, so only
# whoever changes the artwork runs this; it needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
icons="$here/viewer-common/icon"

if ! command -v rsvg-convert > /dev/null; then
    echo "rsvg-convert not found; install the Debian package librsvg2-bin" >&2
    exit 1
fi

for size in 16 24 32 48 64 128 256 512; do
    rsvg-convert --width "$size" --height "$size" --format png \
        --output "$icons/QELT_${size}x${size}.png" "$icons/QELT.svg"
done
