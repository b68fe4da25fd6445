#!/usr/bin/env bash
# Installs what is needed, builds, installs into ./install, writes a sample IR movie to
# out/sample.fits and opens it in Reelvo. Without a display it runs under Xvfb and writes a
# screenshot to out/reelvo.png instead.
#
# scripts/run-main.sh addrix starts Addrix among three simulated GigE Vision cameras in a
# private network namespace instead (screenshot out/addrix.png without a display).
#
# scripts/run-main.sh livano starts Livano among three simulated IR cameras in a private
# network namespace, connected to the second. Without a display it writes screenshots of
# the live image (out/livano.png) and of the camera's control panel (out/livano-controller.png).
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-reelvo}
case "$program" in
reelvo | addrix | livano) ;;
*)
    echo "usage: $0 [reelvo|addrix|livano]" >&2
    exit 2
    ;;
esac
scripts/install-deps.sh
scripts/build.sh default
cmake --install build/default --prefix "$PWD/install" >/dev/null

if [ "$program" = addrix ]; then
    if [ -n "${DISPLAY:-}" ]; then
        scripts/with-fake-cameras.sh 3 -- install/bin/Addrix
    else
        scripts/with-fake-cameras.sh 3 -- xvfb-run -a -s "-screen 0 1024x640x24" \
            scripts/screenshot.sh out/addrix.png 4 install/bin/Addrix
    fi
    exit 0
fi

if [ "$program" = livano ]; then
    if [ -n "${DISPLAY:-}" ]; then
        scripts/with-fake-cameras.sh --ir 3 -- install/bin/Livano 127.0.0.3
    else
        scripts/with-fake-cameras.sh --ir 3 -- xvfb-run -a -s "-screen 0 1024x768x24" \
            scripts/screenshot-livano.sh out 127.0.0.3
    fi
    exit 0
fi

mkdir -p out
install/bin/zelkir-make-sample -n 90 out/sample.fits
if [ -n "${DISPLAY:-}" ]; then
    install/bin/Reelvo out/sample.fits
else
    xvfb-run -a -s "-screen 0 1280x800x24" scripts/screenshot.sh out/reelvo.png 5 install/bin/Reelvo out/sample.fits
fi
