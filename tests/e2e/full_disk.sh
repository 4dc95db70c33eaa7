#!/usr/bin/env bash
# The full-disk scenario: mounts a 16 KiB tmpfs, where creating a file works
# and writing 64 KiB cannot, and runs the driver with it. Where mounting is
# refused (no root, no mount rights) the test is skipped with code 77.
# Usage: full_disk.sh WINE_RUN DRIVER KESTROM_EXE WORK_FOLDER FIXTURES
set -uo pipefail
wine_run=$1 driver=$2 kestrom=$3 work=$4 fixtures=$5
disk=$work/full_disk_mount

mkdir -p "$disk"
mountpoint -q "$disk" && umount "$disk"  # left by an interrupted run
if ! mount -t tmpfs -o size=16k kestrom-e2e "$disk" 2>/dev/null; then
  echo "SKIP: cannot mount a small tmpfs at $disk (needs root)"
  exit 77
fi
trap 'umount "$disk" 2>/dev/null || umount -l "$disk"' EXIT

"$wine_run" "$driver" full_disk "$kestrom" "$work" "$fixtures" "$disk"
