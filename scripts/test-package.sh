#!/usr/bin/env bash
# Builds the Debian package, installs it with dpkg into a scratch root (its own dpkg database,
# nothing of this machine's) and checks it as an installed suite: the layout, that every
# program and library finds its libraries (ours in the package, Qt's from the system), the
# menu entries and metainfo, that each program starts offscreen and runs for a few seconds
# without a QML error, and that removing the package (what apt-get remove runs) leaves
# nothing behind.
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
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status"
# The dependencies are this machine's, not the scratch root's.
dpkg_root=(dpkg --root="$root" --force-not-root --force-depends --log=/dev/null)
if ! "${dpkg_root[@]}" --install "$deb" >"$work/dpkg.log" 2>&1; then
    cat "$work/dpkg.log" >&2
    echo "dpkg could not install the package" >&2
    exit 1
fi
bin=$root/usr/bin
private=$(find "$root/usr/lib" -type d -name qelt-suite | head -n 1)

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Layout: programs in bin, our libraries only in the private folder, no test tools.
for program in Addrix Reelvo Livano zelkir-make-sample qelt-host-check; do
    [ -x "$bin/$program" ] || fail "usr/bin/$program is missing"
done
for lib in zelk zelkcam zelkui zelkir dns; do
    [ -f "$private/lib$lib.so.0" ] || fail "the private library folder has no lib$lib.so.0"
done
[ -z "$(find "$root/usr/lib" -name 'lib*.so*' ! -path "$private/*")" ] || fail "libraries outside the private folder"
# Private libraries need no ldconfig, so no maintainer scripts either.
[ -z "$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E 'inst|rm$')" ] || fail "the package has maintainer scripts"
[ ! -e "$bin/zelkir-fake-ir-camera" ] || fail "the simulated camera is packaged"
if grep -rlF "$PWD/build" "$root" >/dev/null; then
    fail "packaged files refer to the build tree: $(grep -rlF "$PWD/build" "$root" | tr '\n' ' ')"
fi

[ -f "$root/usr/share/qelt-suite/sysctl.d/60-qelt-gige-vision.conf" ] || fail "the sysctl file is missing"
[ ! -e "$root/etc/sysctl.d" ] && [ ! -e "$root/usr/lib/sysctl.d" ] || fail "the package applies sysctl settings by itself"

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

# The host check runs from the package; in the namespace, beside a camera.
status=0
scripts/with-fake-cameras.sh 1 -- bash -c '"$0" --camera "$QELT_FAKE_CAMERAS" >"$1"' \
    "$bin/qelt-host-check" "$work/host-check.log" || status=$?
if [ "$status" -gt 1 ] || ! grep -q '^\[.*\] Receive buffer' "$work/host-check.log"; then
    cat "$work/host-check.log" >&2
    fail "qelt-host-check failed with status $status"
fi

# Removal: only dpkg's own database is left.
"${dpkg_root[@]}" --remove qelt-suite >"$work/dpkg.log" 2>&1 || fail "dpkg could not remove the package: $(cat "$work/dpkg.log")"
left=$(cd "$root" && find . -mindepth 1 ! -path './var' ! -path './var/lib' ! -path './var/lib/dpkg*')
[ -z "$left" ] || fail "removing the package leaves: $(tr '\n' ' ' <<<"$left")"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package test passed"
