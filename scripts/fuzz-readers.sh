#!/usr/bin/env bash
# Builds the file readers' libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz, and runs each for N seconds (default 60),
# starting from the committed seed corpus: scripts/fuzz-readers.sh [seconds]
# New inputs collect in build/fuzz/corpus, crashes in build/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build/fuzz
sanitizers="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

cmake -S . -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_CXX_FLAGS="$sanitizers" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DQELT_BUILD_TESTS=OFF -DQELT_BUILD_BENCHMARKS=OFF -DQELT_BUILD_FUZZERS=ON >/dev/null
cmake --build "$build" --parallel 2 --target fuzz_fits fuzz_qtimage

mkdir -p "$build/artifacts"
for reader in fits qtimage; do
    mkdir -p "$build/corpus/$reader"
    echo "== fuzz_$reader for $seconds s"
    # The first folder receives new inputs; the committed seeds are only read.
    ASAN_OPTIONS=detect_leaks=0 "$build/bin/fuzz_$reader" \
        -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$reader-" \
        "$build/corpus/$reader" "libs/zelkir/io/fuzz/corpus/$reader"
done
