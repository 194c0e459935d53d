# Proves that the layering holds: for every pair of folders, a one-line source that includes a
# header of the other folder is built against the include paths of the first, as its library's
# users (and the library itself) see them. Where the second folder lies below the first (or is the
# same), the source must build; where it lies above or beside it, the build must refuse it because
# the header is not found. Run by ctest, one test per pair. The folders and what each stands on
# come from src/layers.txt (read in CMakeLists.txt); each folder's probe is its first header.
set(TINDREL_LAYER_PROBE_HEADERS)
foreach(folder ${TINDREL_LAYERS})
  file(GLOB headers RELATIVE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/src/${folder}/*.h)
  list(SORT headers)
  list(GET headers 0 header)
  list(APPEND TINDREL_LAYER_PROBE_HEADERS ${header})
endforeach()
set(TINDREL_LAYER_PROBE_DIR ${CMAKE_BINARY_DIR}/layer-probes)

foreach(layer ${TINDREL_LAYERS})
  foreach(header ${TINDREL_LAYER_PROBE_HEADERS})
    string(REGEX REPLACE "/.*" "" folder ${header})
    set(probe layer_probe_${layer}_includes_${folder})
    set(source ${TINDREL_LAYER_PROBE_DIR}/${layer}_includes_${folder}.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "#include \"${header}\"\n")
    add_library(${probe} OBJECT EXCLUDE_FROM_ALL ${source})
    target_link_libraries(${probe} PRIVATE tindrel_${layer})
    if(folder STREQUAL layer OR folder IN_LIST TINDREL_LAYER_${layer}_STANDS_ON)
      set(expect accepted)
      set(test_name layers.${layer}_may_include_${folder})
    else()
      set(expect refused)
      set(test_name layers.${layer}_cannot_include_${folder})
    endif()
    add_test(NAME ${test_name}
             COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DTARGET=${probe}
                     -DHEADER=${header} -DEXPECT=${expect}
                     -P ${CMAKE_SOURCE_DIR}/tests/layers/check_include.cmake)
    # The probes build in this build folder, one at a time.
    set_tests_properties(${test_name} PROPERTIES RESOURCE_LOCK tindrel_build_folder)
  endforeach()
endforeach()

# The sources as they are: no folder includes one above or beside it.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME layers.sources_include_only_downward
         COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/scripts/include_graph.py --check
                 ${CMAKE_SOURCE_DIR}/src)
