# Native (Linux) build: the platform-neutral code and its unit tests and benchmarks.
tindrel_add_platform_sources(native)

if(TINDREL_SANITIZE)
  set(TINDREL_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  # On base, so that every layer above and every test is built with them.
  target_compile_options(tindrel_base PUBLIC ${TINDREL_SANITIZER_FLAGS})
  target_link_options(tindrel_base PUBLIC ${TINDREL_SANITIZER_FLAGS})
endif()

if(TINDREL_FUZZ)
  include(${CMAKE_SOURCE_DIR}/cmake/fuzz.cmake)
  return()
endif()

find_package(GTest REQUIRED)
enable_testing()
file(GLOB TINDREL_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(tindrel_unit_tests ${TINDREL_UNIT_TESTS})
target_include_directories(tindrel_unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(tindrel_unit_tests PRIVATE tindrel_app GTest::gtest GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(tindrel_unit_tests DISCOVERY_TIMEOUT 60)

include(${CMAKE_SOURCE_DIR}/cmake/layers.cmake)

if(TINDREL_BENCHMARKS AND NOT TINDREL_SANITIZE)
  find_package(benchmark REQUIRED)
  file(GLOB TINDREL_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/bench/*.cpp)
  if(TINDREL_BENCHES)
    add_executable(tindrel_bench ${TINDREL_BENCHES})
    target_include_directories(tindrel_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(tindrel_bench PRIVATE tindrel_render benchmark::benchmark benchmark::benchmark_main)
  endif()
endif()
