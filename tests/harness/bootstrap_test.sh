#!/usr/bin/env bash
# scripts/bootstrap.sh on a bad day at the mirror, with stand-ins for apt-get
# and dpkg first on PATH: every index fails to download and the 32-bit Wine
# cannot be installed (the set-up must still finish), then one other
# package cannot be installed (it must stop and name it), then a release
# machine (--build-only asks for no Wine, X server or browser).
# Usage: bootstrap_test.sh SOURCE_DIR
set -uo pipefail
source_dir=$1
scratch=$(mktemp -d /tmp/kestrom-bootstrap.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

repo=$scratch/repo bin=$scratch/bin
mkdir -p "$repo/scripts" "$repo/tests/web" "$bin"
cp "$source_dir/scripts/bootstrap.sh" "$repo/scripts/"
cp "$source_dir/tests/web/package-lock.json" "$repo/tests/web/"
stub() { printf '#!/usr/bin/env bash\n%s\n' "$2" >"$bin/$1" && chmod +x "$bin/$1"; }
# Nothing is installed; every call to apt-get is logged.
stub dpkg-query 'exit 1'
stub dpkg '[ "$1" = --print-foreign-architectures ] && echo i386; exit 0'
stub sudo 'exec "$@"'
stub npm 'mkdir -p node_modules'
stub apt-get 'echo "$*" >>"$APT_CALLS"
case " $* " in
*" update "*)
  echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (Mirror sync in progress?)" >&2
  echo "E: Some index files failed to download." >&2
  exit 100 ;;
*" wine32:i386 "*)
  echo "E: Unable to correct problems, you have held broken packages." >&2
  exit 100 ;;
*" $APT_REFUSES "*)
  echo "E: Package $APT_REFUSES has no installation candidate" >&2
  exit 100 ;;
esac'

# run NAME [ARGS]: the bootstrap with the stand-ins; sets status, out, calls.
run() {
  export APT_CALLS=$scratch/$1.calls
  : >"$APT_CALLS"
  shift
  out=$(PATH="$bin:$PATH" KESTROM_APT_PAUSE=0 bash "$repo/scripts/bootstrap.sh" "$@" 2>&1)
  status=$?
  calls=$(cat "$APT_CALLS")
}

APT_REFUSES=none run mirror
[ "$status" = 0 ] || fail "a lagging mirror stopped the set-up ($status): $out"
[ "$(grep -c ' update' <<<"$calls")" = 2 ] || fail "update not tried twice: $calls"
grep -q 'Acquire::Retries=3' <<<"$calls" || fail "no retries asked of apt: $calls"
grep -q 'install .*xdotool' <<<"$calls" || fail "the other packages were not installed: $calls"
grep -q 'install .*chromium.*wine32' <<<"$calls" && fail "wine32 asked for with the rest"
[ "$(grep -c 'wine32:i386.*cannot be installed' <<<"$out")" = 1 ] ||
  fail "no one line for the 32-bit Wine: $out"
[ "$(grep -c 'could not fetch every index' <<<"$out")" = 1 ] ||
  fail "no one line for the failed update: $out"

APT_REFUSES=xdotool run refused
[ "$status" != 0 ] || fail "a package that cannot be installed passed: $out"
grep -q 'cannot install xdotool: E: Package xdotool' <<<"$out" ||
  fail "the package apt refused is not named: $out"
grep -q 'cannot install xvfb' <<<"$out" && fail "a package apt takes was named: $out"

APT_REFUSES=none run release --build-only
[ "$status" = 0 ] || fail "--build-only failed: $out"
grep -qE 'wine|xvfb|chromium' <<<"$calls" && fail "--build-only asked for: $calls"
grep -q 'install .*g++-mingw-w64-i686-posix' <<<"$calls" || fail "--build-only missed the compiler: $calls"
echo "bootstrap: passed"
