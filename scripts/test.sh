#!/usr/bin/env bash
# Builds every preset and runs every test: native unit tests, the same under
# AddressSanitizer/UBSan, the bounded fuzz run, the browser page in headless
# Chromium, and the Windows build's tests
# under Wine (file I/O, end-to-end dialog scenarios, binary checks).
# Usage: scripts/test.sh        (from anywhere; installs what is missing)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

source scripts/build.sh
stage() { echo; echo "=== $* ==="; }

build() {
  stage "$1: configure and build"
  build_preset "$1"
}

build_and_test() {
  build "$1"
  stage "$1: tests"
  ctest --preset "$1" -j "$(nproc)"
}

build_and_test native
build_and_test native-asan
build_and_test fuzz

# The browser page: built and checked against its committed copy, then used
# in headless Chromium (the 64 MiB scenario takes its generator and
# kestrom-cli from the native build above).
build_and_test web
stage "web: the page in Chromium"
(cd tests/web && node --test page.test.mjs)

# Windows tests run on a private Xvfb, never on the user's own screen. The
# 32-bit build is the one we ship; where its programs do not run under Wine
# here (no 32-bit kernel support, no 32-bit Wine, a broken prefix), its
# files are still checked and the same tests run on the 64-bit build.
build win32
preset=$(windows_preset)
windows_preset_reason
if [ "$preset" = win64 ]; then
  stage "win32: checks of the built files"
  ctest --preset win32
  build win64
  require_wine_runs win64
fi
source scripts/display.sh
trap 'stop_wine_session; stop_display' EXIT
start_private_display
start_wine_session "$PWD/build/$preset/wineprefix" build/$preset/wine-run.sh
stage "$preset: tests under Wine"
ctest --preset "$preset"  # one at a time: the end-to-end tests share the screen
