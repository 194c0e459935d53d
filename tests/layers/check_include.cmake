# Builds one layer probe (cmake/layers.cmake) and checks the build's answer: with EXPECT=accepted it
# must succeed; with EXPECT=refused it must fail, and fail because HEADER is not found, not for any
# other reason (a missing target, a broken toolchain).
# Usage: cmake -DBUILD_DIR=... -DTARGET=... -DHEADER=... -DEXPECT=accepted|refused -P check_include.cmake
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${TARGET}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
string(REPLACE "." "\\." header_pattern "${HEADER}")
# GCC: "fatal error: app/countdown.h: No such file or directory"; clang: "'app/countdown.h' file
# not found".
set(not_found "${header_pattern}: No such file or directory|'${header_pattern}' file not found")
if(EXPECT STREQUAL "accepted")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${TARGET}: including ${HEADER} should build, but:\n${output}")
  endif()
elseif(EXPECT STREQUAL "refused")
  if(result EQUAL 0)
    message(FATAL_ERROR "${TARGET}: including ${HEADER} built, but the layering forbids it")
  endif()
  if(NOT output MATCHES "${not_found}")
    message(FATAL_ERROR "${TARGET}: the build failed, but not for want of ${HEADER}:\n${output}")
  endif()
else()
  message(FATAL_ERROR "EXPECT must be accepted or refused, not '${EXPECT}'")
endif()
message(STATUS "${TARGET}: ${HEADER} ${EXPECT} as the layering demands")
