#!/usr/bin/env bash
# Installs what building and testing Kestrom needs on a Debian 12 machine.
# Idempotent and quiet: it asks apt only for what is missing.
# Usage: scripts/bootstrap.sh [--build-only]  (--build-only: only what
#        building the release needs: no Wine, X server, browser or npm)
#
# A mirror can be out of step for a day: an index fails to download, or the
# i386 archive lags the amd64 one so that the 32-bit Wine cannot be
# installed at all. Neither stops the set-up: the 32-bit Wine is asked for
# on its own, last, and without it the Windows tests run on the 64-bit
# build. Any other package that cannot be installed stops it, named.
set -euo pipefail
build_only=0
[ "${1:-}" = --build-only ] && build_only=1

build_packages=(
  cmake make g++
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest clang-14 lld-14 zip unzip libacl1-dev libattr1-dev
)
test_packages=(
  wine wine64 xvfb x11-utils xdotool imagemagick fonts-wine
  libgtest-dev libgmock-dev libbenchmark-dev libclang-rt-14-dev
  hyperfine chromium strace acl attr libcap2-bin groff-base
)
wine32=wine32:i386

packages=("${build_packages[@]}")
if [ "$build_only" = 0 ]; then
  packages+=("${test_packages[@]}")
  # The browser tests need node 18 or later and npm; a machine that has them
  # from elsewhere keeps its own.
  command -v node >/dev/null && command -v npm >/dev/null || packages+=(nodejs npm)
fi

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}
missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
want_wine32=0
[ "$build_only" = 0 ] && ! installed "$wine32" && want_wine32=1

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
if [ ${#missing[@]} -eq 0 ] && [ "$want_wine32" = 0 ]; then
  npm_packages
  exit 0
fi

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
apt_log=$(mktemp)
trap 'rm -f "$apt_log"' EXIT
apt() { "${sudo_cmd[@]}" apt-get -o Acquire::Retries=3 "$@" >"$apt_log" 2>&1; }
# apt's first error line, for a one-line report.
apt_error() { grep -m1 '^E:' "$apt_log" | cut -c1-200 || true; }

# An index that still fails after a second try is reported, not fatal:
# what can be installed from the others is, and the install decides.
update_indexes() {
  apt update && return 0
  sleep "${KESTROM_APT_PAUSE:-20}"
  apt update && return 0
  echo "bootstrap: apt-get update could not fetch every index ($(apt_error)); going on with the ones it has"
}

# Names each package that apt cannot install now, with apt's reason.
report_uninstallable() {
  local p bad=0
  for p in "$@"; do
    if ! apt install -s -y "$p"; then
      echo "bootstrap: cannot install $p: $(apt_error)" >&2
      bad=1
    fi
  done
  [ "$bad" = 1 ] || echo "bootstrap: apt-get install failed: $(apt_error)" >&2
}

if [ "$want_wine32" = 1 ] &&
  ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
update_indexes
if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  # With recommends: Wine draws its dialogs with the fonts they bring.
  if ! apt install -y -qq "${missing[@]}"; then
    report_uninstallable "${missing[@]}"
    exit 1
  fi
fi
if [ "$want_wine32" = 1 ]; then
  echo "bootstrap: installing $wine32"
  apt install -y -qq "$wine32" ||
    echo "bootstrap: the 32-bit Wine ($wine32) cannot be installed from this mirror today ($(apt_error)); the Windows tests will run on the 64-bit build"
fi
npm_packages
