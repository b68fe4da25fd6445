#!/usr/bin/env bash
# Installs what is needed, builds, installs into ./install and starts Addrix among three
# simulated GigE Vision cameras in a private network namespace. Without a display it
# runs under Xvfb and writes a screenshot to out/addrix.png instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh default
cmake --install build/default --prefix "$PWD/install" >/dev/null
if [ -n "${DISPLAY:-}" ]; then
    scripts/with-fake-cameras.sh 3 -- install/bin/Addrix
else
    scripts/with-fake-cameras.sh 3 -- xvfb-run -a -s "-screen 0 1024x640x24" \
        scripts/screenshot.sh out/addrix.png 4 install/bin/Addrix
fi
