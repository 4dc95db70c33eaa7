# Sourced by the scripts that build. build_preset PRESET [ARG...]: configures
# and builds a CMake preset, ARGs going to cmake --build (--target NAME...).
# The output goes to build/PRESET.build.log, shown only when a step fails.
build_preset() {
  local preset=$1 log=build/$1.build.log
  shift
  mkdir -p build
  { cmake --preset "$preset" &&
    cmake --build --preset "$preset" -j "$(nproc)" "$@"; } >"$log" 2>&1 ||
    { tail -50 "$log"; exit 1; }
}

# windows_preset: the Windows build whose tests run here. Configuring a
# Windows preset runs a small program of that build under Wine and writes
# the verdict to build/PRESET/wine-probe.txt: the 32-bit build we ship when
# its program ran, else the 64-bit one. Needs build/win32 configured.
windows_preset() {
  if [ "$(probe_verdict win32)" = runs ]; then echo win32; else echo win64; fi
}

probe_verdict() {
  cat "build/$1/wine-probe.txt" 2>/dev/null || echo "no: build/$1 is not configured"
}

# windows_preset_reason [WHAT]: one line saying which build WHAT (the
# Windows tests) runs on, and why.
windows_preset_reason() {
  local what=${1:-Windows tests run} verdict
  verdict=$(probe_verdict win32)
  if [ "$verdict" = runs ]; then
    echo "$what on win32: its probe program ran under Wine"
  else
    echo "$what on win64: the 32-bit probe program did not run under Wine (${verdict#no: })"
  fi
}

# require_wine_runs PRESET: stops the run when even that build's programs
# do not run under Wine, so no Windows test could prove anything.
require_wine_runs() {
  local verdict
  verdict=$(probe_verdict "$1")
  [ "$verdict" = runs ] && return 0
  echo "no Windows test can run here: the $1 probe program did not run under Wine (${verdict#no: })" >&2
  exit 1
}
