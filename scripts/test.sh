#!/usr/bin/env bash
# Builds every preset and runs every test: native unit tests, the same under
# AddressSanitizer/UBSan, the bounded fuzz run, and the Windows build's tests
# under Wine (file I/O, end-to-end dialog scenarios, binary checks).
# Usage: scripts/test.sh        (from anywhere; installs what is missing)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

jobs=$(nproc)
stage() { echo; echo "=== $* ==="; }

build_and_test() {
  local preset=$1
  stage "$preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" >build/"$preset".build.log 2>&1 ||
    { tail -50 build/"$preset".build.log; exit 1; }
  stage "$preset: tests"
  ctest --preset "$preset" -j "$jobs"
}

mkdir -p build
build_and_test native
build_and_test native-asan
build_and_test fuzz

# Windows tests run on a private Xvfb, never on the user's own screen.
stage "win32: configure and build"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs" >build/win32.build.log 2>&1 ||
  { tail -50 build/win32.build.log; exit 1; }
source scripts/display.sh
trap 'stop_wine_session; stop_display' EXIT
start_private_display
start_wine_session "$PWD/build/win32/wineprefix" build/win32/wine-run.sh
stage "win32: tests under Wine"
ctest --preset win32
