# TINDREL_CACHE_DIR: the folder scripts/setup.sh fills with what the builds take from outside the
# repository (libpng built for MinGW, the digital face). TINDREL_MINGW_CACHE when the environment
# sets it, else the default of scripts/cache-dir.sh, read from there so that it is written once.
if(DEFINED ENV{TINDREL_MINGW_CACHE})
  set(TINDREL_CACHE_DIR $ENV{TINDREL_MINGW_CACHE})
else()
  file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../scripts/cache-dir.sh TINDREL_CACHE_LINE
       REGEX "^TINDREL_MINGW_CACHE=")
  string(REGEX REPLACE "^.*:-([^}]+)}.*$" "\\1" TINDREL_CACHE_DIR "${TINDREL_CACHE_LINE}")
endif()
