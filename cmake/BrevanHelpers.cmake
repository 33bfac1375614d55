# Functions every subsystem uses to declare its deliverables, tests, fuzz targets and benchmarks.
#
#   brevan_core_library(<name> SOURCES ... [INCLUDES dirs] [LINK libs])
#       Static library of portable code. PUBLIC include dirs: <subsystem>/src plus INCLUDES.
#       On linux a second variant <name>_san is built with ASan and UBSan; brevan_gtest links it.
#   brevan_jni_library(<target> NAME <Deliverable> SOURCES ... [CORE libs] [LINK libs] [LINUX] [TEST_ONLY]
#                      [JAVA files] [PLAIN_EXPORTS names])
#       JNI library. Windows: <Deliverable>.dll whose export table carries, for every Java_* function,
#       both "_Java_..._m@N" and "Java_..._m" on x86, the plain name on x64.
#       LINUX: also lib<Deliverable>.so on linux.
#       TEST_ONLY: placed in BREVAN_TESTLIB_DIR instead of the deliverables folder.
#       JAVA: the Java sources that declare the native methods; on Windows a test (no Wine needed)
#       checks that the DLL exports exactly their names in the architecture's forms, and the
#       PLAIN_EXPORTS beside them.
#   brevan_dll(<target> NAME <Name> SOURCES ... [LINK libs] [DEF file])         (Windows only)
#   brevan_program(<target> NAME <Name> SOURCES ... [LINK libs] [GUI])          (Windows only)
#   brevan_gtest(<target> SOURCES ... [CORE libs] [LINK libs] [LABELS l] [TIMEOUT s]
#                [DEPENDS targets] [WORKING_DIRECTORY dir] [ARGS args])
#       One GoogleTest executable registered as one CTest test. Labels native (linux) or wine
#       (Windows) are added. Compile definitions BREVAN_SOURCE_DIR, BREVAN_BINARY_DIR,
#       BREVAN_DIST_DIR and BREVAN_TESTLIB_DIR are string literals (unix paths). On Windows a
#       failed release of a valid object (winhelpers) fails the running test.
#   brevan_test_program(<target> SOURCES ... [CORE libs] [LINK libs] [GUI])
#       Helper executable that tests start (a router, a child process).
#   brevan_fuzz(<target> SOURCES ... [INCLUDES dirs] [LINK files] [SECONDS s])  (linux only)
#       libFuzzer target built with clang; a short run is a CTest test labelled native;fuzz.
#       LINK: library files (not targets) given to the linker, such as ${ZLIB_LIBRARIES}.
#   brevan_bench(<target> SOURCES ... [CORE libs] [LINK libs])
#       Optimised benchmark program; run on demand, never by CTest.
#   brevan_java_tests(<name> SOURCES ... [DEPENDS targets])                    (linux only)
#       JUnit 4 classes of package zemtra.nativeCode, run on the real JVM against dist/linux
#       (and BREVAN_TESTLIB_DIR); DEPENDS is documentation only, the build precedes every test run.

set(BREVAN_WARNING_FLAGS -Wall -Wextra)
set(BREVAN_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer)

function(brevan_project_target target)
  target_compile_options(${target} PRIVATE
      $<$<COMPILE_LANGUAGE:CXX>:${BREVAN_WARNING_FLAGS}>
      $<$<COMPILE_LANGUAGE:C>:${BREVAN_WARNING_FLAGS}>)
  if(BREVAN_WIN32)
    # Windows deliverables must need nothing but system DLLs: the compiler runtimes and
    # winpthread are linked in.
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
endfunction()

function(_brevan_sanitize target)
  if(BREVAN_LINUX)
    target_compile_options(${target} PRIVATE ${BREVAN_SANITIZER_FLAGS})
    target_link_options(${target} PRIVATE ${BREVAN_SANITIZER_FLAGS})
  endif()
endfunction()

# Core libraries named in CORE: the sanitized variant where one exists and the caller is sanitized.
function(_brevan_link_cores target scope sanitized)
  foreach(core IN LISTS ARGN)
    if(sanitized AND TARGET ${core}_san)
      target_link_libraries(${target} ${scope} ${core}_san)
    else()
      target_link_libraries(${target} ${scope} ${core})
    endif()
  endforeach()
endfunction()

function(_brevan_path_definitions target)
  target_compile_definitions(${target} PRIVATE
      BREVAN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
      BREVAN_BINARY_DIR="${CMAKE_BINARY_DIR}"
      BREVAN_DIST_DIR="${BREVAN_DIST_DIR}"
      BREVAN_TESTLIB_DIR="${BREVAN_TESTLIB_DIR}")
endfunction()

function(brevan_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;INCLUDES;LINK" ${ARGN})
  set(variants ${name})
  if(BREVAN_LINUX)
    list(APPEND variants ${name}_san)
  endif()
  foreach(variant IN LISTS variants)
    add_library(${variant} STATIC ${ARG_SOURCES})
    target_include_directories(${variant} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/src ${ARG_INCLUDES})
    brevan_project_target(${variant})
    if(variant STREQUAL "${name}_san")
      _brevan_sanitize(${variant})
      _brevan_link_cores(${variant} PUBLIC TRUE ${ARG_LINK})
    else()
      _brevan_link_cores(${variant} PUBLIC FALSE ${ARG_LINK})
    endif()
  endforeach()
endfunction()

function(_brevan_place_library target name test_only)
  if(test_only)
    set(dir ${BREVAN_TESTLIB_DIR})
  else()
    set(dir ${BREVAN_DIST_DIR})
  endif()
  set_target_properties(${target} PROPERTIES
      OUTPUT_NAME ${name}
      RUNTIME_OUTPUT_DIRECTORY ${dir}
      LIBRARY_OUTPUT_DIRECTORY ${dir})
  if(BREVAN_WIN32)
    set_target_properties(${target} PROPERTIES PREFIX "" IMPORT_PREFIX "lib" IMPORT_SUFFIX ".dll.a"
        ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  else()
    set_target_properties(${target} PROPERTIES PREFIX "lib")
  endif()
endfunction()

function(brevan_jni_library target)
  cmake_parse_arguments(ARG "LINUX;TEST_ONLY" "NAME" "SOURCES;CORE;LINK;JAVA;PLAIN_EXPORTS" ${ARGN})
  if(BREVAN_LINUX AND NOT ARG_LINUX)
    return()
  endif()
  if(BREVAN_WIN32)
    # The JNI glue is compiled once; its objects are read for the Java_* symbols so that the
    # export table names each native method in both forms a 32-bit JVM may look for.
    add_library(${target}_objects OBJECT ${ARG_SOURCES})
    target_link_libraries(${target}_objects PUBLIC javahost)
    _brevan_link_cores(${target}_objects PUBLIC FALSE ${ARG_CORE})
    target_link_libraries(${target}_objects PUBLIC ${ARG_LINK})
    brevan_project_target(${target}_objects)
    set(def ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}.def)
    add_custom_command(OUTPUT ${def}
        COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DOUTPUT=${def} -DX86=${BREVAN_X86}
                "-DOBJECTS=$<JOIN:$<TARGET_OBJECTS:${target}_objects>,|>"
                -P ${CMAKE_SOURCE_DIR}/cmake/make_jni_def.cmake
        DEPENDS $<TARGET_OBJECTS:${target}_objects> ${CMAKE_SOURCE_DIR}/cmake/make_jni_def.cmake
        COMMENT "Listing the JNI exports of ${ARG_NAME}"
        VERBATIM)
    add_library(${target} SHARED $<TARGET_OBJECTS:${target}_objects> ${def})
    target_link_libraries(${target} PRIVATE ${target}_objects)
    if(ARG_JAVA)
      _brevan_jni_export_check(${target} "${ARG_JAVA}" "${ARG_PLAIN_EXPORTS}")
    endif()
  else()
    add_library(${target} SHARED ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE javahost ${ARG_LINK})
    _brevan_link_cores(${target} PRIVATE FALSE ${ARG_CORE})
  endif()
  brevan_project_target(${target})
  _brevan_place_library(${target} ${ARG_NAME} "${ARG_TEST_ONLY}")
endfunction()

function(_brevan_jni_export_check target java plain)
  set(sources)
  foreach(source IN LISTS java)
    get_filename_component(absolute ${source} ABSOLUTE)
    list(APPEND sources ${absolute})
  endforeach()
  add_test(NAME ${target}_exports
      COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DDLL=$<TARGET_FILE:${target}>
              -DX86=${BREVAN_X86} "-DJAVA=$<JOIN:${sources},|>" "-DEXTRA=$<JOIN:${plain},|>"
              -P ${CMAKE_SOURCE_DIR}/cmake/check_jni_exports.cmake)
  set_tests_properties(${target}_exports PROPERTIES LABELS "native;dist" TIMEOUT 60)
endfunction()

function(brevan_dll target)
  cmake_parse_arguments(ARG "" "NAME;DEF" "SOURCES;LINK" ${ARGN})
  if(NOT BREVAN_WIN32)
    return()
  endif()
  add_library(${target} SHARED ${ARG_SOURCES} ${ARG_DEF})
  target_link_libraries(${target} PRIVATE ${ARG_LINK})
  brevan_project_target(${target})
  _brevan_place_library(${target} ${ARG_NAME} FALSE)
endfunction()

function(brevan_program target)
  cmake_parse_arguments(ARG "GUI" "NAME" "SOURCES;LINK" ${ARGN})
  if(NOT BREVAN_WIN32)
    return()
  endif()
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LINK})
  brevan_project_target(${target})
  if(ARG_GUI)
    target_link_options(${target} PRIVATE -mwindows)
  endif()
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${ARG_NAME}
      RUNTIME_OUTPUT_DIRECTORY ${BREVAN_DIST_DIR})
endfunction()

# An executable of the test suite: sanitized on linux, linked with the sanitized cores and the
# shared test support.
function(_brevan_test_executable target sources cores links)
  add_executable(${target} ${sources})
  if(BREVAN_WIN32 AND NOT BREVAN_BUILD_WINE_TEST_PROGRAMS)
    set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL TRUE)
  endif()
  brevan_project_target(${target})
  _brevan_sanitize(${target})
  _brevan_link_cores(${target} PRIVATE ${BREVAN_LINUX} ${cores} testsupport)
  target_link_libraries(${target} PRIVATE ${links})
  _brevan_path_definitions(${target})
endfunction()

function(brevan_test_program target)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;CORE;LINK" ${ARGN})
  _brevan_test_executable(${target} "${ARG_SOURCES}" "${ARG_CORE}" "${ARG_LINK}")
  if(ARG_GUI AND BREVAN_WIN32)
    target_link_options(${target} PRIVATE -mwindows)
  endif()
endfunction()

function(brevan_gtest target)
  cmake_parse_arguments(ARG "" "TIMEOUT;WORKING_DIRECTORY" "SOURCES;CORE;LINK;LABELS;DEPENDS;ARGS" ${ARGN})
  _brevan_test_executable(${target} "${ARG_SOURCES}" "${ARG_CORE}" "${ARG_LINK};GTest::gmock;GTest::gtest_main")
  # The code under test is optimised in its own libraries; the test sources themselves are
  # compiled for debugging, which takes a third of the time of -O2 with the sanitizers.
  target_compile_options(${target} PRIVATE -Og)
  if(BREVAN_WIN32)
    target_link_libraries(${target} PRIVATE winhelpers_test_reporter)
  endif()
  if(ARG_DEPENDS)
    add_dependencies(${target} ${ARG_DEPENDS})
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  if(NOT ARG_WORKING_DIRECTORY)
    set(ARG_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  add_test(NAME ${target} COMMAND ${target} ${ARG_ARGS} WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY})
  brevan_test_properties(${target} TIMEOUT ${ARG_TIMEOUT} LABELS ${ARG_LABELS})
endfunction()

function(brevan_fuzz target)
  cmake_parse_arguments(ARG "" "SECONDS" "SOURCES;INCLUDES;LINK" ${ARGN})
  if(NOT BREVAN_LINUX OR NOT BREVAN_CLANGXX)
    return()
  endif()
  if(NOT ARG_SECONDS)
    set(ARG_SECONDS 10)
  endif()
  set(sources)
  foreach(source IN LISTS ARG_SOURCES)
    get_filename_component(absolute ${source} ABSOLUTE)
    list(APPEND sources ${absolute})
  endforeach()
  # The subsystem's src/ folder, wherever below the subsystem the fuzz target is declared.
  file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  string(REGEX REPLACE "/.*" "" subsystem "${relative}")
  set(includes -I${CMAKE_SOURCE_DIR}/${subsystem}/src)
  foreach(dir IN LISTS ARG_INCLUDES)
    get_filename_component(absolute ${dir} ABSOLUTE)
    list(APPEND includes -I${absolute})
  endforeach()
  # Ninja ignores IMPLICIT_DEPENDS: every header of the include folders counts, so that a change
  # to a header alone rebuilds the target instead of fuzzing the old code.
  set(headers)
  foreach(dir ${CMAKE_SOURCE_DIR}/${subsystem}/src ${ARG_INCLUDES})
    get_filename_component(absolute ${dir} ABSOLUTE)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${absolute}/*.h)
    list(APPEND headers ${found})
  endforeach()
  set(binary ${CMAKE_CURRENT_BINARY_DIR}/fuzz/${target})
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/fuzz)
  add_custom_command(OUTPUT ${binary}
      COMMAND ${BREVAN_CLANGXX} -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined
              -fno-sanitize-recover=undefined ${includes} ${sources} ${ARG_LINK} -o ${binary}
      DEPENDS ${sources} ${headers}
      IMPLICIT_DEPENDS CXX ${sources}
      COMMENT "Building fuzz target ${target}"
      VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${binary})
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${target}_corpus)
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME ${target}
      COMMAND ${binary} -max_total_time=${ARG_SECONDS} -timeout=10 -rss_limit_mb=2048
              -print_final_stats=0 ${corpus})
  set_tests_properties(${target} PROPERTIES TIMEOUT 300 LABELS "native;fuzz")
endfunction()

function(brevan_bench target)
  cmake_parse_arguments(ARG "" "" "SOURCES;CORE;LINK" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  brevan_project_target(${target})
  target_compile_options(${target} PRIVATE -O2)
  # Benchmarks make their inputs with the tests' helpers.
  _brevan_link_cores(${target} PRIVATE FALSE ${ARG_CORE} testsupport)
  target_link_libraries(${target} PRIVATE ${ARG_LINK})
  _brevan_path_definitions(${target})
endfunction()

function(brevan_java_tests name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  if(NOT BREVAN_LINUX)
    return()
  endif()
  set(sources)
  foreach(source IN LISTS ARG_SOURCES)
    get_filename_component(absolute ${source} ABSOLUTE)
    list(APPEND sources ${absolute})
  endforeach()
  add_test(NAME ${name}
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/run-java-tests.sh
              ${CMAKE_CURRENT_BINARY_DIR}/${name}_classes "${BREVAN_DIST_DIR}:${BREVAN_TESTLIB_DIR}"
              ${sources})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS java
      ENVIRONMENT "BREVAN_SOURCE_DIR=${CMAKE_SOURCE_DIR};BREVAN_DIST_DIR=${BREVAN_DIST_DIR};BREVAN_TESTLIB_DIR=${BREVAN_TESTLIB_DIR}")
endfunction()
