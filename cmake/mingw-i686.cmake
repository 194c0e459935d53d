# Cross toolchain for the 32-bit Windows build with MinGW-w64 (posix thread model, which the
# C++ standard library and GoogleTest need for std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libpng built once by scripts/build-libpng-mingw.sh into a cached prefix.
if(DEFINED ENV{TINDREL_MINGW_PREFIX})
  list(APPEND CMAKE_FIND_ROOT_PATH $ENV{TINDREL_MINGW_PREFIX})
else()
  list(APPEND CMAKE_FIND_ROOT_PATH /var/cache/tindrel/mingw-libpng)
endif()
