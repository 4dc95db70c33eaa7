#!/usr/bin/env bash
# Builds kestrom.exe again from the same sources in a fresh folder with
# another name and compares it with the tested build, byte for byte.
set -euo pipefail
source_dir=$1
built=$2
scratch=$(mktemp -d /tmp/kestrom-repro-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
# Nothing here runs under Wine.
KESTROM_WINE_PROBE=off cmake -S "$source_dir" -B "$scratch/other-build-folder" \
  -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/i686-w64-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log"; exit 1; }
cmake --build "$scratch/other-build-folder" --target kestrom -j 2 \
  >"$scratch/build.log" 2>&1 || { cat "$scratch/build.log"; exit 1; }
rebuilt="$scratch/other-build-folder/app/kestrom.exe"
if cmp "$built" "$rebuilt"; then
  echo "reproducible: $(sha256sum <"$built" | cut -c1-64) ($(stat -c %s "$built") bytes)"
else
  echo "kestrom.exe differs between two builds of the same sources" >&2
  exit 1
fi
