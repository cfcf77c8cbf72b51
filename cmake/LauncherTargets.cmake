# launcher_add_test(<name> LABEL <label> SOURCES <files...> LIBS <targets...>
#                   [SERIAL <gtest filter>] [PROPERTIES <ctest properties...>])
# Builds one GoogleTest program and registers each of its tests with CTest
# under the given label. Tests matched by SERIAL (those that measure a rate
# or a duration) run while no other test runs; PROPERTIES are added to every
# test (a RESOURCE_LOCK, say).
function(launcher_add_test name)
  cmake_parse_arguments(T "" "LABEL;SERIAL" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(T_SERIAL)
    gtest_discover_tests(${name}
      TEST_FILTER "-${T_SERIAL}"
      PROPERTIES LABELS ${T_LABEL} ${T_PROPERTIES}
      DISCOVERY_TIMEOUT 60)
    gtest_discover_tests(${name}
      TEST_FILTER "${T_SERIAL}"
      PROPERTIES LABELS ${T_LABEL} ${T_PROPERTIES} RUN_SERIAL TRUE
      DISCOVERY_TIMEOUT 60)
  else()
    gtest_discover_tests(${name}
      PROPERTIES LABELS ${T_LABEL} ${T_PROPERTIES}
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# launcher_add_bench(<name> SOURCES <files...> LIBS <targets...>)
function(launcher_add_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()

# launcher_add_fuzzer(<name> SOURCES <files...> LIBS <targets...>)
# A libFuzzer target, built only by the fuzz preset; scripts/fuzz.sh runs each
# one for a bounded time, seeded from tests/fuzz/corpus/<name>/ when present.
function(launcher_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/fuzzers)
  add_dependencies(fuzzers ${name})
endfunction()
