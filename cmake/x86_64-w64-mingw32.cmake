# Cross build for 64-bit Windows with MinGW-w64. Not shipped: it runs the
# Windows tests on machines whose kernel cannot run 32-bit programs, and
# so cannot run the 32-bit Wine that the 32-bit build needs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
