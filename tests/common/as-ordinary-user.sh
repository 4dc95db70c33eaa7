#!/usr/bin/env bash
# Runs the end-to-end driver under Wine as the ordinary user nobody: as
# root, Wine writes over read-only files and into folders that refuse new
# ones. The driver, kestrom.exe and the Wine wrapper are copied to a fresh
# folder of nobody's, with its own Wine prefix, so no folder of the build
# needs to be open to nobody. KESTROM_LOCKED_FILE names a file there that
# the user may write, in a folder where it may not create files; beside it,
# large.qif is larger than the 512 KiB every file written is limited to, so
# the copy of it a write in place keeps first stops part-way (SIGXFSZ
# ignored).
# Not run as root: skipped (exit code 77).
# Usage: as-ordinary-user.sh WINE_RUN DRIVER GROUP KESTROM_EXE
set -euo pipefail
if [ "$(id -u)" != 0 ]; then
  echo "SKIP: only root can run the test as another user"
  exit 77
fi
wine_run=$1 driver=$2 group=$3 kestrom=$4
as_nobody() {
  setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups \
    env HOME="$stage" KESTROM_WINEPREFIX="$stage/prefix" \
    WINEPREFIX="$stage/prefix" "$@"
}
stage=$(mktemp -d /tmp/kestrom-as-nobody.XXXXXX)
trap 'as_nobody wineserver -k 2>/dev/null; rm -rf "$stage"' EXIT
cp "$wine_run" "$driver" "$kestrom" "$stage/"
mkdir -p "$stage/prefix" "$stage/work" "$stage/locked"
: >"$stage/locked/locked.qif"
for _ in $(seq 25000); do
  printf 'D12/25/99\r\nT-1.00\r\nPCorner Store\r\nMGroceries\r\n^\r\n'
done >"$stage/locked/large.qif"
chown -R nobody: "$stage"
chmod a-w "$stage/locked"
export KESTROM_LOCKED_FILE="Z:${stage//\//\\}\\locked\\locked.qif"
# A lasting Wine server and the prefix are made before the limit; sent
# nowhere, the server's output never holds the test's pipe open.
as_nobody wineserver -p >/dev/null 2>&1 </dev/null
as_nobody "$stage/$(basename "$wine_run")" >/dev/null 2>&1 </dev/null
trap '' XFSZ
ulimit -f 512
as_nobody "$stage/$(basename "$wine_run")" "$stage/$(basename "$driver")" \
  "$group" "$stage/$(basename "$kestrom")" "$stage/work" "$stage/work"
