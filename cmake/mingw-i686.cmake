# Cross-compiles for 32-bit Windows with mingw-w64's posix-threads compilers
# and runs the resulting test executables under Wine's 32-bit loader.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLE i686-w64-mingw32)
set(BRINDLEWAY_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
