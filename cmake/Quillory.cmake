# Shared build helpers: one static library per source folder, one test
# executable per test folder, warnings as errors for our own code.

set(QY_WARNINGS -Wall -Wextra -Wpedantic -Wno-unused-parameter -Werror)

# quillory_library(<target> DEPS <libs...>)
# Builds every .cpp of the calling folder into a static library.
function(quillory_library target)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB hdrs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(srcs)
    add_library(${target} STATIC ${srcs} ${hdrs})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
    target_compile_options(${target} PRIVATE ${QY_WARNINGS})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# What a test program (or a test script) may take before it counts as hung.
set(QY_TEST_TIMEOUT 1200)

option(QY_TEST_PCH "Precompile the headers the test programs share" ON)
# Test code is compiled for a quick build: the code under test keeps the
# build type's optimisation from its libraries.
set(QY_TEST_OPT "-O1" CACHE STRING "Optimisation of the test programs' own sources")
set(QY_TEST_PCH_HEADERS ${PROJECT_SOURCE_DIR}/tests/support/TestPch.h)

# quillory_tests(<target> DEPS <libs...> [TIMEOUT <seconds>] [SHARDS <n>])
# Builds every .cpp of the calling test folder into one GoogleTest program
# registered with CTest; it runs headless, in a temporary folder of its own,
# with the fonts of tests/fonts.conf only (the programs' *_systemfonts runs
# use whatever the machine has).
# Each program has a timeout of QY_TEST_TIMEOUT: it catches a test that
# hangs and says nothing about speed, so it lies far above what the longest
# program takes on a machine held busy by other builds (five times as many
# runnable processes as cores). A long program runs as SHARDS parts
# (GoogleTest's own sharding, each part a process with its own folder),
# side by side, each under the timeout.
function(quillory_tests target)
  cmake_parse_arguments(ARG "" "TIMEOUT;SHARDS" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  # Those the sanitizer program runs are compiled there only.
  if(QY_SANITIZED_TEST_SOURCES)
    list(REMOVE_ITEM srcs ${QY_SANITIZED_TEST_SOURCES})
  endif()
  if(NOT srcs)
    return()
  endif()
  add_executable(${target} ${srcs})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} qy_testsupport GTest::gtest GTest::gmock)
  target_compile_options(${target} PRIVATE ${QY_WARNINGS})
  # Most of a test file's compile time is these headers: parse them once a
  # program.
  if(QY_TEST_PCH)
    target_precompile_headers(${target} PRIVATE ${QY_TEST_PCH_HEADERS})
  endif()
  # GCC 12 warns of string copies out of bounds that are not (its own
  # inlined std::string), more so with the precompiled headers.
  target_compile_options(${target} PRIVATE ${QY_TEST_OPT} -Wno-array-bounds -Wno-stringop-overflow)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT ${QY_TEST_TIMEOUT})
  endif()
  if(NOT ARG_SHARDS)
    set(ARG_SHARDS 1)
  endif()
  set(env "QT_QPA_PLATFORM=offscreen;QY_SOURCE_DIR=${PROJECT_SOURCE_DIR};FONTCONFIG_FILE=${PROJECT_SOURCE_DIR}/tests/fonts.conf")
  # A new order each run (gtest prints the seed) shows tests that lean on
  # an earlier one; repeat an order with --gtest_random_seed=SEED.
  list(APPEND env "GTEST_SHUFFLE=1")
  if(ARG_SHARDS EQUAL 1)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${env}")
    return()
  endif()
  math(EXPR last "${ARG_SHARDS} - 1")
  foreach(i RANGE ${last})
    add_test(NAME ${target}_part${i} COMMAND ${target})
    set_tests_properties(${target}_part${i} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
      ENVIRONMENT "${env};GTEST_TOTAL_SHARDS=${ARG_SHARDS};GTEST_SHARD_INDEX=${i}")
  endforeach()
endfunction()

# quillory_bench(<target> DEPS <libs...>) for one benchmark source file.
function(quillory_bench target src)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  add_executable(${target} ${src})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  target_compile_options(${target} PRIVATE ${QY_WARNINGS})
endfunction()
