# GoogleTest: Debian's build natively; for the mingw builds, compiled from the
# sources that Debian's googletest package installs.
function(ombrisk_setup_gtest)
  if(TARGET GTest::gtest_main)
    return()
  endif()
  if(CMAKE_CROSSCOMPILING)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    if(NOT TARGET GTest::gtest)
      add_library(GTest::gtest ALIAS gtest)
      add_library(GTest::gtest_main ALIAS gtest_main)
      add_library(GTest::gmock ALIAS gmock)
    endif()
  else()
    find_package(GTest REQUIRED)
  endif()
endfunction()

# ombrisk_add_test(NAME SOURCES... LIBS ...): one GoogleTest program, run by
# CTest as one test (under wine64 for the 64-bit Windows build).
function(ombrisk_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  ombrisk_setup_gtest()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gtest ombrisk_options)
  # The test program's own files at -Og in the optimised builds (the code
  # under test keeps -O2): half the compiling of a batch of test files, and
  # test code is not where these tests spend their time. Not under
  # ThreadSanitizer, whose tests instantiate the queues they race in their
  # own files, and which compiles few test files.
  if(CMAKE_BUILD_TYPE STREQUAL "RelWithDebInfo" AND NOT OMBRISK_TSAN)
    target_compile_options(${name} PRIVATE -Og)
  endif()
  if(TARGET test_programs)
    add_dependencies(test_programs ${name})
  endif()
  if(OMBRISK_CAN_RUN_TESTS)
    add_test(NAME ${name} COMMAND ${name})
    if(T_TIMEOUT)
      set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    else()
      set_tests_properties(${name} PROPERTIES TIMEOUT 600)
    endif()
    if(T_LABELS)
      set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
    # The ThreadSanitizer run builds only what it runs.
    if("concurrency" IN_LIST T_LABELS)
      if(NOT TARGET concurrency_tests)
        add_custom_target(concurrency_tests)
      endif()
      add_dependencies(concurrency_tests ${name})
    endif()
  endif()
endfunction()
