#!/usr/bin/env bash
# A Wine that exits 0 and runs nothing must pass no test. Puts such a
# stand-in first on PATH, as wine and as wine64, then checks that the probe
# refuses it and that every test this build labels "wine" fails under it.
# Usage: stand_in_wine.sh BUILD_DIR PROBE_SCRIPT PROBE_EXE
set -uo pipefail
build=$1 probe_script=$2 probe=$3
scratch=$(mktemp -d /tmp/kestrom-stand-in.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Readable by the ordinary user that one scenario runs as.
chmod 755 "$scratch"
mkdir -m 755 "$scratch/bin" "$scratch/prefix"
for name in wine wine64; do
  printf '#!/bin/sh\nexit 0\n' >"$scratch/bin/$name"
  chmod 755 "$scratch/bin/$name"
done
# A prefix of its own: the stand-in must not mark the build's as ready.
export PATH="$scratch/bin:$PATH" KESTROM_WINEPREFIX="$scratch/prefix"

verdict=$(sh "$probe_script" "$build/wine-run.sh" "$probe")
case $verdict in
no:*) echo "the probe refused the stand-in: ${verdict#no: }" ;;
*) fail "the probe took the stand-in for a working Wine: $verdict" ;;
esac

listed=$(ctest --test-dir "$build" -N -L '^wine$' | sed -n 's/^Total Tests: //p')
if [ "${listed:-0}" -eq 0 ]; then
  echo "this build registers no Wine tests ($(cat "$build/wine-probe.txt"))"
  echo "stand-in wine: passed"
  exit 0
fi
ctest --test-dir "$build" -L '^wine$' --timeout 120 >"$scratch/ctest.log" 2>&1
passed=$(grep -cE 'Test +#[0-9]+: .* Passed' "$scratch/ctest.log")
failed=$(grep -cE 'Test +#[0-9]+: .*(Failed|Timeout|Exception)' "$scratch/ctest.log")
echo "under the stand-in: $listed Wine tests, $passed passed, $failed failed"
if [ "$passed" -ne 0 ] || [ "$failed" -eq 0 ]; then
  grep -E 'Test +#[0-9]+: .* Passed' "$scratch/ctest.log"
  fail "a test passed without Wine running it"
fi
echo "stand-in wine: passed"
