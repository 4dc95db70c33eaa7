#!/usr/bin/env bash
# Builds kestrom.exe and starts it under Wine.
# With a working $DISPLAY the program opens there, ready for use.
# Without one it runs headless on a private Xvfb: it opens a sample export,
# takes a screenshot of the dialog and says where it saved it.
# Usage: scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
source scripts/display.sh
preset=$(windows_preset)
mkdir -p build
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)" --target kestrom >build/run.build.log 2>&1 ||
  { tail -50 build/run.build.log; exit 1; }
exe=build/$preset/app/kestrom.exe
wine_run=build/$preset/wine-run.sh

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  "$wine_run" >/dev/null  # first use creates the prefix
  exec "$wine_run" "$exe"
fi

trap stop_display EXIT
ensure_display
scripts/screenshot.sh "$exe" build/kestrom.png
