#!/usr/bin/env bash
# Runs a Windows test program under Wine with every file it writes limited
# to 512 KiB and SIGXFSZ ignored, so a write stops part-way with an error, as
# on a full quota or a dropped network share. The 1.2 MB export to save is
# made first, above the limit, and named in KESTROM_LIMIT_FILE (a Windows
# path). Run it in a Wine session started beforehand, as scripts/test.sh
# does, so that Wine's server is not limited too.
# Usage: with-size-limit.sh WINE_RUN PROGRAM [ARGS...]
set -euo pipefail
dir=$(mktemp -d "$PWD/size-limit.XXXXXX")
trap 'rm -rf "$dir"' EXIT
for _ in $(seq 25000); do
  printf 'D12/25/99\r\nT-1.00\r\nPCorner Store\r\nMGroceries\r\n^\r\n'
done >"$dir/export.qif"
export KESTROM_LIMIT_FILE="Z:${dir//\//\\}\\export.qif"
trap '' XFSZ
ulimit -f 512
"$@"
