# The browser page's module: WebAssembly with Debian's clang-14 and
# wasm-ld-14 (package lld-14), no C library: the core's walk and counts call
# none.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)

set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET wasm32)
set(CMAKE_CXX_COMPILER_TARGET wasm32)
set(CMAKE_AR llvm-ar-14)
set(CMAKE_RANLIB llvm-ranlib-14)

# Nothing can be linked into a program before the module's own code exists.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(CMAKE_C_FLAGS_INIT "-ffreestanding")
set(CMAKE_CXX_FLAGS_INIT "-ffreestanding -fno-exceptions -fno-rtti")
find_program(KESTROM_WASM_LD wasm-ld-14 REQUIRED)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-nostdlib -fuse-ld=${KESTROM_WASM_LD}")
