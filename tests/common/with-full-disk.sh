#!/usr/bin/env bash
# Runs a Windows test program under Wine with a tiny tmpfs mounted beside it,
# named in KESTROM_FULL_DISK_DIR (a Windows path), so a write can fail for
# want of space after its file was created. Where mounting is refused (no
# root) the variable stays unset and the tests that need it skip themselves;
# with --required the whole run is skipped instead, with exit code 77.
# Usage: with-full-disk.sh [--required] WINE_RUN PROGRAM [ARGS...]
set -uo pipefail
required=0
if [ "${1:-}" = --required ]; then
  required=1
  shift
fi
wine_run=$1
shift
disk=$(mktemp -d "$PWD/full-disk.XXXXXX")
if mount -t tmpfs -o size=16k kestrom-full-disk "$disk" 2>/dev/null; then
  export KESTROM_FULL_DISK_DIR="Z:${disk//\//\\}"
  trap 'umount "$disk" 2>/dev/null || umount -l "$disk"; rmdir "$disk"' EXIT
else
  rmdir "$disk"
  if [ "$required" = 1 ]; then
    echo "SKIP: cannot mount a small tmpfs here (needs root)"
    exit 77
  fi
fi
"$wine_run" "$@"
