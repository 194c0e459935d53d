# Sourced by the scripts that fill or read the cache of what the builds take from outside the
# repository (libpng built for MinGW and for the fuzzer, the digital face): TINDREL_MINGW_CACHE when
# it is set, else the folder below. cmake/cache_dir.cmake reads the default from this line.
TINDREL_MINGW_CACHE="${TINDREL_MINGW_CACHE:-/var/cache/tindrel}"
export TINDREL_MINGW_CACHE
