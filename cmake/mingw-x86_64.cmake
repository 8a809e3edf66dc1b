# Cross-compiles for 64-bit Windows with mingw-w64's posix-threads compilers
# and runs the resulting test executables under Wine's 64-bit loader.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(BRINDLEWAY_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
