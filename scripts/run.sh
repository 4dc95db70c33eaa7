#!/usr/bin/env bash
# Builds kestrom.exe and starts it under Wine.
# With a working $DISPLAY the program opens there, ready for use.
# Without one it runs headless on a private Xvfb: it opens a sample export,
# takes a screenshot of the dialog and says where it saved it.
# Usage: scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target kestrom >build/run.build.log 2>&1 ||
  { tail -50 build/run.build.log; exit 1; }
exe=build/win32/app/kestrom.exe
wine_run=build/win32/wine-run.sh

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  "$wine_run" >/dev/null  # first use creates the prefix
  exec "$wine_run" "$exe"
fi

source scripts/display.sh
trap stop_display EXIT
ensure_display
scripts/screenshot.sh "$exe" build/kestrom.png
