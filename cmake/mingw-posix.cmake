# Shared part of the two mingw-w64 toolchain files: Debian's cross compilers with the posix thread
# model (the win32 model has no std::mutex or std::thread). The including file sets
# CMAKE_SYSTEM_PROCESSOR and BREVAN_MINGW_PREFIX.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${BREVAN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BREVAN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${BREVAN_MINGW_PREFIX}-windres)
set(CMAKE_NM ${BREVAN_MINGW_PREFIX}-nm)
set(CMAKE_OBJDUMP ${BREVAN_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${BREVAN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
