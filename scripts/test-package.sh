#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch folder (dpkg -x, no root needed) and
# checks it as an installed suite: the layout, that every program and library finds its
# libraries (ours in the package, Qt's from the system), the menu entries and metainfo, and
# that each program starts offscreen and runs for a few seconds without a QML error.
#
#   scripts/test-package.sh [--no-build]    (--no-build: test the newest build/package/*.deb)
#
# Addrix and Livano look for cameras when they start, so they run only among a simulated
# camera in the private namespace of scripts/with-fake-cameras.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
readonly run_seconds=5

if [ "${1:-}" != --no-build ]; then
    cmake --workflow --preset package >/dev/null
fi
deb=$(ls -t build/package/qelt-suite_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "no package in build/package" >&2; exit 1; }
echo "testing $deb"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
dpkg -x "$deb" "$root"
bin=$root/usr/bin
private=$root/usr/lib/qelt-suite

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Layout: programs in bin, our libraries only in the private folder, no test tools.
for program in Addrix Reelvo Livano zelkir-make-sample; do
    [ -x "$bin/$program" ] || fail "usr/bin/$program is missing"
done
for lib in zelk zelkcam zelkui zelkir dns; do
    [ -f "$private/lib$lib.so" ] || fail "usr/lib/qelt-suite/lib$lib.so is missing"
done
[ -z "$(find "$root/usr/lib" -maxdepth 1 -name 'lib*.so*')" ] || fail "libraries outside the private folder"
[ ! -e "$bin/zelkir-fake-ir-camera" ] || fail "the simulated camera is packaged"
if grep -rlF "$PWD/build" "$root" >/dev/null; then
    fail "packaged files refer to the build tree: $(grep -rlF "$PWD/build" "$root" | tr '\n' ' ')"
fi

# Dependencies: computed from the binaries, plus the QML modules the windows import.
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6core6 libqt6quick6 qml6-module-qtquick-controls qt6-qpa-plugins; do
    [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done

# Libraries: nothing unresolved, ours from the package, Qt from the system.
unset LD_LIBRARY_PATH QT_PLUGIN_PATH QML_IMPORT_PATH QML2_IMPORT_PATH
for file in "$bin"/* "$private"/*.so*; do
    resolved=$(ldd "$file")
    if grep -q "not found" <<<"$resolved"; then
        fail "$file: $(grep "not found" <<<"$resolved" | tr -s ' \t\n' ' ')"
    fi
    while read -r name _ path _; do
        case $name in
        libzelk*.so | libdns.so) [[ $path == "$private/"* ]] || fail "$file takes $name from $path" ;;
        libQt6*) [[ $path == /usr/lib/* || $path == /lib/* ]] || fail "$file takes $name from $path" ;;
        esac
    done <<<"$resolved"
done

# Desktop integration.
for id in Addrix Reelvo Livano; do
    entry=$root/usr/share/applications/systems.qelt.$id.desktop
    if [ -f "$entry" ]; then
        desktop-file-validate "$entry" || fail "$entry does not validate"
    else
        fail "no menu entry for $id"
    fi
done
grep -q '^MimeType=.*image/fits;' "$root/usr/share/applications/systems.qelt.Reelvo.desktop" ||
    fail "Reelvo is not offered for FITS files"
for size in 16 24 32 48 64 128 256 512; do
    [ -f "$root/usr/share/icons/hicolor/${size}x$size/apps/qelt-suite.png" ] || fail "no ${size}px icon"
done
metainfo=$root/usr/share/metainfo/systems.qelt.Suite.metainfo.xml
appstreamcli validate --no-net "$metainfo" >/dev/null || fail "$metainfo does not validate"
for shot in $(sed -n 's|.*<image>.*/\([^/<]*\)</image>.*|\1|p' "$metainfo"); do
    [ -f "docs/$shot" ] || fail "screenshot $shot is not in docs/"
done

# Start-up: each program runs offscreen from the unpacked root, with its own settings folder.
export QT_QPA_PLATFORM=offscreen HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
export XDG_DATA_HOME=$work/home/.local/share XDG_CACHE_HOME=$work/home/.cache
mkdir -p "$XDG_CONFIG_HOME"
"$bin/zelkir-make-sample" -n 10 "$work/sample.fits" >/dev/null || fail "zelkir-make-sample failed"

# A program that started well is still running when the timeout ends it (status 124),
# and has written no QML error to its log.
check_run() {
    local name=$1 status=$2
    if [ "$status" -ne 124 ]; then
        tail -n 20 "$work/$name.log" >&2
        fail "$name ended early with status $status"
    fi
    if grep -E '\.qml(:[0-9]+)*:|QQml|qml:|is not installed|is not a type|failed to load' "$work/$name.log"; then
        fail "$name reported QML errors"
    fi
}
status=0
timeout "$run_seconds" "$bin/Reelvo" "$work/sample.fits" 2>"$work/Reelvo.log" || status=$?
check_run Reelvo "$status"
for program in Addrix Livano; do
    status=0
    scripts/with-fake-cameras.sh 1 -- bash -c 'timeout "$0" "$1" 2>"$2"' \
        "$run_seconds" "$bin/$program" "$work/$program.log" || status=$?
    check_run "$program" "$status"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package test passed"
