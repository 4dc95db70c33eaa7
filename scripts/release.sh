#!/usr/bin/env bash
# Builds the Windows release: dist/kestrom-<version>-win32.zip and its
# .sha256. One commit gives the same bytes in any folder at any time: the
# exes and the page are reproducible builds, and the zip's entries have a
# fixed order, fixed permissions and the commit's time.
# Usage: scripts/release.sh   (SOURCE_DATE_EPOCH, if set, overrides the
#                              commit's time)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh --build-only
# A release runs nothing under Wine: its build does not look for one.
export KESTROM_WINE_PROBE=off

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH

source scripts/build.sh
build_preset win32 --target kestrom kestrom-cli
build_preset web
mkdir -p dist

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win32/CMakeCache.txt)
name=kestrom-$version
zip=dist/$name-win32.zip

# Windows readers expect CR LF; the sources keep LF.
to_crlf() { sed 's/\r$//; s/$/\r/' "$1"; }

stage=build/release
rm -rf "$stage"
mkdir -p "$stage/$name"
cp build/win32/app/kestrom.exe build/win32/cli/kestrom-cli.exe \
  build/web/kestrom.html "$stage/$name/"
to_crlf docs/release-readme.txt | sed "s/@VERSION@/$version/g" \
  >"$stage/$name/README.txt"
to_crlf LICENSE >"$stage/$name/LICENSE.txt"

entries=(README.txt LICENSE.txt kestrom.exe kestrom-cli.exe kestrom.html)
chmod 644 "$stage/$name"/*
touch -d "@$SOURCE_DATE_EPOCH" "$stage/$name"/*
rm -f "$zip" "$zip.sha256"
# -X: no owner ids or extra time fields; -D: no folder entries. Times are
# stored as local time, so the zone is fixed too.
(cd "$stage" && TZ=UTC zip -X -D -9 -q "../../$zip" "${entries[@]/#/$name/}")
(cd dist && sha256sum "$name-win32.zip" >"$name-win32.zip.sha256")
echo "$zip ($(stat -c %s "$zip") bytes)"
cat "$zip.sha256"
