#!/usr/bin/env bash
# Runs a Win32 test program under Wine with a tiny tmpfs mounted beside it,
# named in KESTROM_FULL_DISK_DIR, so a write can fail for want of space
# after its file was created. Where mounting is refused the variable stays
# unset and the tests that need it skip themselves.
set -uo pipefail
wine_run=$1
shift
disk=$(mktemp -d "$PWD/full-disk.XXXXXX")
if mount -t tmpfs -o size=16k tmpfs "$disk" 2>/dev/null; then
  export KESTROM_FULL_DISK_DIR="Z:${disk//\//\\}"
  trap 'umount "$disk"; rmdir "$disk"' EXIT
else
  rmdir "$disk"
fi
"$wine_run" "$@"
