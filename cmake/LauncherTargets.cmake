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
# one for a bounded time, seeded from tests/fuzz/corpus/<name>/, which must exist.
function(launcher_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  # The seeds are found by the binary's name: a target whose folder is missing
  # or misnamed would start every run empty.
  if(NOT IS_DIRECTORY ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/${name})
    message(FATAL_ERROR "fuzzer ${name} has no seed folder tests/fuzz/corpus/${name}/")
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/fuzzers)
  add_dependencies(fuzzers ${name})
endfunction()

# launcher_add_folders(FOLDERS <folders...> [PLANNED <folders...>]
#                      [CHECK <parents...>] [ELSEWHERE <folders...>])
# Adds the source folders in the order given, relative to the current source
# folder. A folder without a CMakeLists.txt stops the configure: a missing or
# misspelt folder is never skipped in silence. Only a PLANNED folder (one of
# FOLDERS whose subsystem is not written yet) may be absent: it is added once
# it exists and named in the configure output while it does not. Every folder
# with a CMakeLists.txt directly inside one of the CHECK parents must be
# listed (or be one of the ELSEWHERE folders, added by other means), so a
# folder the list misnames stops the configure too.
function(launcher_add_folders)
  cmake_parse_arguments(A "" "" "FOLDERS;PLANNED;CHECK;ELSEWHERE" ${ARGN})
  set(listed ${A_FOLDERS} ${A_ELSEWHERE})
  foreach(parent IN LISTS A_CHECK)
    file(GLOB found RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
         ${CMAKE_CURRENT_SOURCE_DIR}/${parent}/*/CMakeLists.txt)
    foreach(list_file IN LISTS found)
      get_filename_component(folder ${list_file} DIRECTORY)
      string(REGEX REPLACE "^\\./" "" folder "${folder}")
      if(NOT folder IN_LIST listed)
        message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${folder} has a CMakeLists.txt "
                            "but is not listed in ${CMAKE_CURRENT_LIST_FILE}")
      endif()
    endforeach()
  endforeach()
  foreach(folder IN LISTS A_FOLDERS)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/CMakeLists.txt)
      add_subdirectory(${folder})
    elseif(folder IN_LIST A_PLANNED)
      message(STATUS "not built yet: ${CMAKE_CURRENT_SOURCE_DIR}/${folder} (planned, not present)")
    else()
      message(FATAL_ERROR "source folder ${CMAKE_CURRENT_SOURCE_DIR}/${folder} has no CMakeLists.txt")
    endif()
  endforeach()
endfunction()
