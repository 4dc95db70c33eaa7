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
source scripts/stages.sh
source scripts/display.sh
# The Wine session is stopped only once this run has started it, with
# its display.
finish() {
  if [ -n "${KESTROM_XVFB_PID:-}" ]; then
    stop_wine_session
    stop_display
  fi
  print_summary "$1"
}
trap 'finish $?' EXIT

build_and_test() {
  build_stage "$1"
  ctest_stage "$1 tests" "$1" -j "$(nproc)"
}

build_and_test native
build_and_test native-asan
build_and_test fuzz

# The browser page: built and checked against its committed copy, then used
# in headless Chromium (the 64 MiB scenario takes its generator and
# kestrom-cli from the native build above).
build_and_test web
node_stage "web in Chromium" tests/web page.test.mjs

# Windows tests run on a private Xvfb, never on the user's own screen. The
# 32-bit build is the one we ship; where its programs do not run under Wine
# here (no 32-bit kernel support, no 32-bit Wine, a broken prefix), its
# files are still checked and the same tests run on the 64-bit build.
build_stage win32
preset=$(windows_preset)
windows_preset_reason
if [ "$preset" = win64 ]; then
  ctest_stage "win32 checks of files" win32
  build_stage win64
  require_wine_runs win64
fi
begin_stage "Wine session"
start_private_display
start_wine_session "$PWD/build/$preset/wineprefix" build/$preset/wine-run.sh
end_stage "started on display $DISPLAY"
# One at a time: the end-to-end tests share the screen.
ctest_stage "$preset under Wine" "$preset"
