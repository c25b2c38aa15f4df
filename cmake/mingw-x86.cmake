# Cross-build for 32-bit Windows, the shipping target, with the mingw-w64
# posix-thread compilers.  Test programs run through Wine's WoW64 support.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZORV_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
