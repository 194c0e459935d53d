# The fuzzer of the picture decoder and import (tests/fuzz), natively with clang's libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer. Configure with CC=clang CXX=clang++ and
# -DTINDREL_FUZZ=ON; libpng comes from the instrumented build of scripts/build-libpng-mingw.sh
# (target clang-fuzz), found through CMAKE_PREFIX_PATH.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "TINDREL_FUZZ needs clang: configure with CC=clang CXX=clang++")
endif()

set(TINDREL_FUZZ_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
# On base, so that every layer above it is instrumented too.
target_compile_options(tindrel_base PUBLIC ${TINDREL_FUZZ_FLAGS} -fsanitize=fuzzer-no-link)
target_link_options(tindrel_base PUBLIC ${TINDREL_FUZZ_FLAGS})

add_executable(tindrel_png_fuzz ${CMAKE_SOURCE_DIR}/tests/fuzz/png_fuzz.cpp)
# The decoder and the skin import are render's: the fuzzer stands on render alone.
target_link_libraries(tindrel_png_fuzz PRIVATE tindrel_render)
target_link_options(tindrel_png_fuzz PRIVATE -fsanitize=fuzzer)
