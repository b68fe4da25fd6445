#!/usr/bin/env bash
# Times Addrix's full scan beside arv-tool-0.8's listing with 1, 4 and 8 simulated
# cameras: scripts/benchmark-scan.sh [build-dir] [rounds]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
rounds=${2:-7}
for n in 1 4 8; do
    scripts/with-fake-cameras.sh "$n" -- "$build/bin/bench_scan" "$rounds"
done
