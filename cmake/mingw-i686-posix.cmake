# Cross toolchain for the 32-bit Windows product (preset win32).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(BREVAN_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-posix.cmake)
