# Test infrastructure: GoogleTest from Debian's sources, the clang used for fuzz targets, and on
# Windows targets the Wine session (prefix, Xvfb, wineserver) that every test under Wine shares.

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
if(BREVAN_WIN32)
  foreach(gtarget gtest gtest_main gmock gmock_main)
    target_link_options(${gtarget} INTERFACE -static)
  endforeach()
endif()

find_program(BREVAN_CLANGXX NAMES clang++ clang++-14)

set(BREVAN_WINE_SESSION ${CMAKE_BINARY_DIR}/wine)
# What the Wine runner and the session scripts exit with when this host cannot run the preset's
# Wine (a host without 32-bit support, or no wine32): CTest reports such a test as skipped.
set(BREVAN_WINE_SKIP_CODE 77)
if(BREVAN_WIN32)
  # Tests of a Windows preset run their executables through Wine in a prefix of this build tree.
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${BREVAN_TARGET} ${BREVAN_WINE_SESSION}
      CACHE STRING "" FORCE)
  add_test(NAME wine_session_start
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-session.sh start ${BREVAN_TARGET} ${BREVAN_WINE_SESSION})
  add_test(NAME wine_session_stop
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-session.sh stop ${BREVAN_TARGET} ${BREVAN_WINE_SESSION})
  set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300
      LABELS session SKIP_RETURN_CODE ${BREVAN_WINE_SKIP_CODE})
  set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60 LABELS session)
endif()

# The win32 test programs can run only where the kernel starts 32-bit programs. Elsewhere they are
# not built by default (their tests report skipped all the same, as the runner never starts them);
# -DBREVAN_BUILD_WINE_TEST_PROGRAMS=ON compiles them anyway.
if(NOT DEFINED BREVAN_BUILD_WINE_TEST_PROGRAMS)
  set(runs_tests ON)
  if(BREVAN_TARGET STREQUAL "win32")
    execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/win32-host.sh runs-32bit
        RESULT_VARIABLE host_status OUTPUT_QUIET ERROR_QUIET)
    if(NOT host_status EQUAL 0)
      set(runs_tests OFF)
    endif()
  endif()
  set(BREVAN_BUILD_WINE_TEST_PROGRAMS ${runs_tests} CACHE BOOL
      "Build the test programs of a Windows preset (off for win32 where 32-bit programs cannot run)")
endif()
if(BREVAN_WIN32 AND NOT BREVAN_BUILD_WINE_TEST_PROGRAMS)
  message(STATUS "${BREVAN_TARGET}: this host cannot run the test programs; they are not built")
endif()

# Labels and the Wine session for a test that runs one of the project's executables.
function(brevan_test_properties test)
  cmake_parse_arguments(ARG "" "TIMEOUT" "LABELS" ${ARGN})
  if(BREVAN_WIN32)
    set(labels wine ${ARG_LABELS})
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine
        SKIP_RETURN_CODE ${BREVAN_WINE_SKIP_CODE})
  else()
    set(labels native ${ARG_LABELS})
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set_tests_properties(${test} PROPERTIES LABELS "${labels}" TIMEOUT ${ARG_TIMEOUT})
  # Tests with windows share one Xvfb screen, and some compare what is on it: one at a time.
  if("gui" IN_LIST ARG_LABELS)
    set_property(TEST ${test} APPEND PROPERTY RESOURCE_LOCK display)
  endif()
endfunction()

# Checks over the finished deliverables, added after every subsystem.
function(brevan_add_project_checks)
  if(BREVAN_WIN32)
    add_test(NAME dist_imports_only_system_dlls
        COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh ${CMAKE_OBJDUMP} ${BREVAN_DIST_DIR})
    set_tests_properties(dist_imports_only_system_dlls PROPERTIES LABELS "native;dist" TIMEOUT 60
        SKIP_RETURN_CODE 77)
  endif()
endfunction()
