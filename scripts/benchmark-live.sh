#!/usr/bin/env bash
# Streams one simulated IR camera (640 x 512 Mono16) into a bare Aravis receiver and into the
# live document, inside the camera namespace:
#   scripts/benchmark-live.sh [build-dir] [bench_live options...]
# e.g. scripts/benchmark-live.sh build/default --seconds 10 for a short run (the recorded
# figures are from the default 60 s at 60 frames per second). --rate sets the maximum rate.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/default
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then
    build=$1
    shift
fi
exec scripts/with-fake-cameras.sh --ir-arg --pixel-format=Mono16 1 -- "$build/bin/bench_live" "$@"
