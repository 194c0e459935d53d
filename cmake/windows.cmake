# Windows build (cross-compiled with MinGW-w64): Tindrel.exe, its ready folder, the Windows tests
# and the probe used by the end-to-end tests. Everything is linked statically. The same source
# builds for x86 (i686) and x64 (x86_64); the toolchain file chooses which.
# The font chooser's comdlg32 is loaded only while the chooser is open (it pulls in the printing
# stack), and the media control interface's winmm at the first clip, so neither is linked.
set(TINDREL_WIN_LIBS gdi32 msimg32 comctl32 shell32 advapi32 user32 kernel32 ole32 wtsapi32)
set(TINDREL_STATIC_FLAGS -static -static-libgcc -static-libstdc++)

tindrel_add_platform_sources(win32 ${CMAKE_SOURCE_DIR}/src/app/win32/main.cpp)
# Every layer stands on base, so what base asks of its users reaches all of them.
target_compile_definitions(tindrel_base PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                              _WIN32_WINNT=0x0601 WINVER=0x0601)
target_link_libraries(tindrel_base PUBLIC ${TINDREL_WIN_LIBS})
# Doubles in SSE registers, so the blur's double-precision sums round exactly as on any other
# build instead of in the x87 unit's extended precision (x64 does so anyway).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_compile_options(tindrel_base PUBLIC -msse2 -mfpmath=sse)
endif()

# The application manifest names the architecture of the build it goes into: Windows refuses to
# start a program whose manifest names another one.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TINDREL_MANIFEST_ARCHITECTURE amd64)
else()
  set(TINDREL_MANIFEST_ARCHITECTURE x86)
endif()
set(TINDREL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/src/app/win32/tindrel.manifest.in
               ${TINDREL_GENERATED_DIR}/tindrel.manifest @ONLY)
set(TINDREL_COPYRIGHT_YEARS 2026)
configure_file(${CMAKE_SOURCE_DIR}/src/app/win32/version.h.in ${TINDREL_GENERATED_DIR}/version.h
               @ONLY)

add_executable(Tindrel WIN32 ${CMAKE_SOURCE_DIR}/src/app/win32/main.cpp
                             ${CMAKE_SOURCE_DIR}/src/app/win32/tindrel.rc)
target_link_libraries(Tindrel PRIVATE tindrel_app)
target_link_options(Tindrel PRIVATE ${TINDREL_STATIC_FLAGS} -municode)
# windres looks up the files an .rc names in its include folders too.
target_include_directories(Tindrel PRIVATE ${TINDREL_GENERATED_DIR})
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/app/win32/tindrel.rc PROPERTIES
  OBJECT_DEPENDS "${TINDREL_GENERATED_DIR}/tindrel.manifest;${TINDREL_GENERATED_DIR}/version.h;${CMAKE_SOURCE_DIR}/src/app/win32/resource.h;${CMAKE_SOURCE_DIR}/data/icon/tindrel.ico")

# The ready folder: the program with its data files beside it.
set(TINDREL_READY_DIR ${CMAKE_BINARY_DIR}/Tindrel)
add_custom_command(TARGET Tindrel POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TINDREL_READY_DIR}/skins ${TINDREL_READY_DIR}/sounds
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Tindrel> ${TINDREL_READY_DIR}/
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/data/star.png ${TINDREL_READY_DIR}/
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/data/1.5x ${TINDREL_READY_DIR}/1.5x
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/data/2x ${TINDREL_READY_DIR}/2x
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/data/skins ${TINDREL_READY_DIR}/skins
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/data/sounds ${TINDREL_READY_DIR}/sounds
  VERBATIM)
# The notices of the libraries linked into the executable go with it.
add_custom_command(TARGET Tindrel POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/data/licences
          ${TINDREL_READY_DIR}/licences
  VERBATIM)

# The digital face the caption is drawn in when the default face is not installed: DSEG14 Classic
# from Debian's fonts-dseg (SIL Open Font License 1.1), with the package's copyright and licence,
# as scripts/setup.sh unpacks it into the cache.
include(${CMAKE_CURRENT_LIST_DIR}/cache_dir.cmake)
set(TINDREL_FONT_PACKAGE_DIR ${TINDREL_CACHE_DIR}/fonts-dseg)
set(TINDREL_BUNDLED_FONT
    ${TINDREL_FONT_PACKAGE_DIR}/usr/share/fonts/truetype/dseg/DSEG14Classic-Regular.ttf)
set(TINDREL_BUNDLED_FONT_LICENCE ${TINDREL_FONT_PACKAGE_DIR}/usr/share/doc/fonts-dseg/copyright)
if(EXISTS ${TINDREL_BUNDLED_FONT} AND EXISTS ${TINDREL_BUNDLED_FONT_LICENCE})
  add_custom_command(TARGET Tindrel POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TINDREL_READY_DIR}/fonts
    COMMAND ${CMAKE_COMMAND} -E copy ${TINDREL_BUNDLED_FONT} ${TINDREL_READY_DIR}/fonts/
    COMMAND ${CMAKE_COMMAND} -E copy ${TINDREL_BUNDLED_FONT_LICENCE}
            ${TINDREL_READY_DIR}/fonts/DSEG-LICENSE.txt
    VERBATIM)
else()
  message(WARNING "${TINDREL_BUNDLED_FONT} not found (run scripts/setup.sh): the ready folder "
                  "gets no fonts/ and the caption falls back to the system's face")
endif()

# GoogleTest built with the cross toolchain from Debian's googletest sources; on a Windows machine
# (MSYS2) the installed package serves.
if(EXISTS /usr/src/googletest/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
  add_library(gtest ALIAS GTest::gtest)
  add_library(gtest_main ALIAS GTest::gtest_main)
endif()

file(GLOB TINDREL_WIN_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
add_executable(tindrel_win_tests ${TINDREL_WIN_TESTS} ${CMAKE_SOURCE_DIR}/tests/win/test_resources.rc)
set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/win/test_resources.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/data/icon/tindrel.ico")
target_include_directories(tindrel_win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
# The tests call the media control interface and the accessibility interfaces directly, which the
# program loads on demand.
target_link_libraries(tindrel_win_tests PRIVATE tindrel_app winmm oleacc oleaut32 ole32 gtest gtest_main)
target_link_options(tindrel_win_tests PRIVATE ${TINDREL_STATIC_FLAGS})

# A small console program that looks at another program's windows for the end-to-end tests.
add_executable(probe ${CMAKE_SOURCE_DIR}/tests/e2e/probe.cpp)
target_compile_definitions(probe PRIVATE UNICODE _UNICODE)
target_link_libraries(probe PRIVATE shell32 user32 advapi32 oleacc oleaut32 ole32)
target_link_options(probe PRIVATE ${TINDREL_STATIC_FLAGS})

# The bare layered window that scripts/measure.sh sets beside the widget; built only on request.
add_executable(bare_layered_window EXCLUDE_FROM_ALL
               ${CMAKE_SOURCE_DIR}/tests/measure/bare_layered_window.cpp)
target_compile_definitions(bare_layered_window PRIVATE UNICODE _UNICODE)
target_link_libraries(bare_layered_window PRIVATE gdi32 user32)
target_link_options(bare_layered_window PRIVATE ${TINDREL_STATIC_FLAGS})

include(${CMAKE_CURRENT_LIST_DIR}/packaging.cmake)
