#!/usr/bin/env bash
# Builds the file readers' libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz, and runs each for N seconds (default 60),
# starting from the committed seed corpus:
#     scripts/fuzz-readers.sh [seconds] [target...]
# Targets: fits (FITS from memory), qtimage (TIFF/PNG/BMP/JPEG from memory) and file (the
# input written to a file, opened through the factory, read out of order, again, and after
# the file is cut short; seeded from both corpora). New inputs collect in build/fuzz/corpus/TARGET,
# crashes in build/fuzz/artifacts.
#
# cfitsio is built from Debian's source package with coverage and AddressSanitizer, so the
# fuzzers also steer into, and check, its header parser and tile decompressors.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fits file qtimage)
build=$PWD/build/fuzz
sanitizers="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi

cfitsio=$build/cfitsio
if [ ! -f "$cfitsio/prefix/lib/pkgconfig/cfitsio.pc" ]; then
    echo "== cfitsio from Debian's source package, instrumented"
    mkdir -p "$cfitsio/src"
    # A private source list, so the system's apt configuration stays as it is.
    cat >"$cfitsio/sources.list" <<'EOF'
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
EOF
    apt_src=(-o "Dir::Etc::sourcelist=$cfitsio/sources.list" -o Dir::Etc::sourceparts=- -o APT::Get::List-Cleanup=0)
    $sudo apt-get "${apt_src[@]}" update -q >/dev/null
    (cd "$cfitsio/src" && apt-get "${apt_src[@]}" source --download-only cfitsio >/dev/null 2>&1 || true)
    orig=$(ls "$cfitsio"/src/cfitsio_*.orig.tar.* | head -n1)
    rm -rf "$cfitsio/tree" && mkdir -p "$cfitsio/tree"
    tar -xf "$orig" -C "$cfitsio/tree" --strip-components=1
    cmake -S "$cfitsio/tree" -B "$cfitsio/build" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
        -DCMAKE_C_FLAGS="-fsanitize=address,fuzzer-no-link -fno-omit-frame-pointer -w" \
        -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address" \
        -DBUILD_SHARED_LIBS=ON -DUSE_CURL=OFF -DUSE_PTHREADS=OFF -DTESTS=OFF -DUTILS=OFF \
        -DCMAKE_INSTALL_PREFIX="$cfitsio/prefix" -DCMAKE_INSTALL_LIBDIR=lib >/dev/null
    cmake --build "$cfitsio/build" --parallel 2 >/dev/null
    cmake --install "$cfitsio/build" >/dev/null
fi

# -U: pkg-config is asked again, so the instrumented cfitsio replaces the system's.
PKG_CONFIG_PATH="$cfitsio/prefix/lib/pkgconfig" cmake -S . -B "$build" -G Ninja \
    -U "ZELKIR_CFITSIO*" -U "__pkg_config_checked_ZELKIR_CFITSIO" -U "pkgcfg_lib_ZELKIR_CFITSIO*" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_CXX_FLAGS="$sanitizers" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DQELT_BUILD_TESTS=OFF -DQELT_BUILD_BENCHMARKS=OFF -DQELT_BUILD_FUZZERS=ON >/dev/null
cmake --build "$build" --parallel 2 --target "${targets[@]/#/fuzz_}"

mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
    seeds=(libs/zelkir/io/fuzz/corpus/$target)
    [ "$target" != file ] || seeds=(libs/zelkir/io/fuzz/corpus/fits libs/zelkir/io/fuzz/corpus/qtimage)
    mkdir -p "$build/corpus/$target"
    echo "== fuzz_$target for $seconds s"
    # The first folder receives new inputs; the committed seeds are only read.
    ASAN_OPTIONS=detect_leaks=0 "$build/bin/fuzz_$target" \
        -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" \
        "$build/corpus/$target" "${seeds[@]}"
done
