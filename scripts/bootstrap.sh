#!/usr/bin/env bash
# Installs what building and testing Kestrom needs on a Debian 12 machine.
# Idempotent and quiet: it asks apt only for what is missing.
set -euo pipefail

packages=(
  cmake make g++
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 wine32:i386 xvfb x11-utils xdotool imagemagick
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev fonts-wine
  hyperfine
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

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
# The posix threading model gives std::thread and matches GoogleTest's needs.
"${sudo_cmd[@]}" update-alternatives --set i686-w64-mingw32-g++ /usr/bin/i686-w64-mingw32-g++-posix >/dev/null 2>&1 || true
"${sudo_cmd[@]}" update-alternatives --set i686-w64-mingw32-gcc /usr/bin/i686-w64-mingw32-gcc-posix >/dev/null 2>&1 || true
