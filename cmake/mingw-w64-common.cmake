# The part of the MinGW-w64 toolchain files that both Windows builds share;
# each file sets TOOLCHAIN_PREFIX and CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_OBJDUMP ${TOOLCHAIN_PREFIX}-objdump)
# windres preprocesses with a plain <prefix>-gcc, which only exists when the
# compiler alternatives are set up; name the one we install.
set(CMAKE_RC_FLAGS_INIT "--preprocessor=${TOOLCHAIN_PREFIX}-gcc-posix \
--preprocessor-arg=-E --preprocessor-arg=-xc-header \
--preprocessor-arg=-DRC_INVOKED")

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The emulator (a Wine wrapper with a private prefix) is set up by the
# top-level CMakeLists.txt, which knows the build folder.
