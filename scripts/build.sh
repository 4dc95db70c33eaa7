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
