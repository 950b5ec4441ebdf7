# Helpers shared by every folder's CMakeLists.txt.

# velmora_add_library(NAME SOURCES... [DEPS targets...] [PRIVATE_DEPS targets...])
# One static library per subsystem folder. It sees only the headers of its own layer and of the
# layers it builds on (layers.cmake); programs, tests and benchmarks add src/ and include/.
function(velmora_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  velmora_record_layer(${name} ${ARG_DEPS} ${ARG_PRIVATE_DEPS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()

# velmora_add_test(NAME SOURCES... DEPS targets... [LABELS labels...])
# A GoogleTest executable whose cases ctest discovers one by one.
function(velmora_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock GTest::gtest_main)
  set(labels unit)
  if(ARG_LABELS)
    set(labels ${ARG_LABELS})
  endif()
  gtest_discover_tests(${name}
    PROPERTIES LABELS "${labels}"
    DISCOVERY_TIMEOUT 60)
endfunction()
