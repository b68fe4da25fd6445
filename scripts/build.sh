#!/usr/bin/env bash
# Configures and builds one preset (default, asan or tsan): scripts/build.sh [preset] [targets...]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
shift || true
cmake --preset "$preset" >/dev/null
if [ $# -gt 0 ]; then
    cmake --build --preset "$preset" --parallel 2 --target "$@"
else
    cmake --build --preset "$preset" --parallel 2
fi
