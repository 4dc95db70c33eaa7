# Cross build for 32-bit Windows with MinGW-w64; tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
# windres preprocesses with a plain i686-w64-mingw32-gcc, which only exists
# when the compiler alternatives are set up; name the one we install.
set(CMAKE_RC_FLAGS_INIT "--preprocessor=${TOOLCHAIN_PREFIX}-gcc-posix \
--preprocessor-arg=-E --preprocessor-arg=-xc-header \
--preprocessor-arg=-DRC_INVOKED")
set(CMAKE_OBJDUMP ${TOOLCHAIN_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The emulator (a Wine wrapper with a private prefix) is set up by the
# top-level CMakeLists.txt, which knows the build folder.
