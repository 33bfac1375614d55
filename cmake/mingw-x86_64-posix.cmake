# Cross toolchain for the 64-bit twin of the Windows deliverables (preset win64).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BREVAN_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-posix.cmake)
