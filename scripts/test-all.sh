#!/usr/bin/env bash
# Installs what is needed, builds and runs the whole test suite: the normal build, then
# AddressSanitizer + UndefinedBehaviorSanitizer, then ThreadSanitizer on the threaded tests;
# after the normal build, the Debian package.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
scripts/install-deps.sh

scripts/build.sh default
ctest --preset default

# The Debian package, installed into a scratch root and removed again.
scripts/test-package.sh

scripts/build.sh asan
ctest --preset asan

scripts/build.sh tsan
ctest --preset tsan
