# launcher_add_test(<name> LABEL <label> SOURCES <files...> LIBS <targets...>)
# Builds one GoogleTest program and registers each of its tests with CTest
# under the given label.
function(launcher_add_test name)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  gtest_discover_tests(${name}
    PROPERTIES LABELS ${T_LABEL}
    DISCOVERY_TIMEOUT 60)
endfunction()

# launcher_add_bench(<name> SOURCES <files...> LIBS <targets...>)
function(launcher_add_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()
