# Shared part of the MinGW-w64 cross toolchains; the including file sets TOOLCHAIN_PREFIX and
# CMAKE_SYSTEM_PROCESSOR first. The posix thread model is the one the C++ standard library and
# GoogleTest need for std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libpng built once per architecture by scripts/build-libpng-mingw.sh into a cached prefix.
include(${CMAKE_CURRENT_LIST_DIR}/cache_dir.cmake)
list(APPEND CMAKE_FIND_ROOT_PATH ${TINDREL_CACHE_DIR}/libpng-${TOOLCHAIN_PREFIX})
