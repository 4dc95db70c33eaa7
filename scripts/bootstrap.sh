#!/usr/bin/env bash
# Installs what building and testing Kestrom needs on a Debian 12 machine.
# Idempotent and quiet: it asks apt only for what is missing.
# Usage: scripts/bootstrap.sh [--build-only]  (--build-only: without the
#        browser tests' npm packages, which only the tests need)
set -euo pipefail
build_only=0
[ "${1:-}" = --build-only ] && build_only=1

packages=(
  cmake make g++
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 wine32:i386 xvfb x11-utils xdotool imagemagick
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev fonts-wine
  hyperfine zip unzip
  chromium lld-14
)
# The browser tests need node 18 or later and npm; a machine that has them
# from elsewhere keeps its own.
command -v node >/dev/null && command -v npm >/dev/null || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
# The browser tests' npm packages, exactly as locked; installed again only
# when the lockfile changes.
npm_packages() {
  [ "$build_only" = 1 ] && return 0
  local lock=tests/web/package-lock.json stamp=tests/web/node_modules/.kestrom-lock
  cmp -s "$lock" "$stamp" && return 0
  echo "bootstrap: npm ci in tests/web"
  (cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
  cp "$lock" "$stamp"
}
cd "$(dirname "$0")/.."
[ ${#missing[@]} -eq 0 ] && { npm_packages; exit 0; }

echo "bootstrap: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq >/dev/null
# With recommends: Wine draws its dialogs with the fonts they bring.
"${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
npm_packages
