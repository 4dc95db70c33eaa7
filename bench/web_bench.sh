#!/usr/bin/env bash
# The conversion pass in the browser page against the native pass, in the
# same run: builds the native benchmark and generator and the web page,
# then prints both speeds on 64 MiB of generated content and their ratio.
# Usage: bench/web_bench.sh [REPETITIONS]   (after scripts/bootstrap.sh)
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset native >/dev/null
cmake --build --preset native -j 2 --target kestrom_bench kestrom_make_qif >/dev/null
cmake --preset web >/dev/null
cmake --build --preset web >/dev/null
node bench/web_bench.mjs "${1:-5}"
