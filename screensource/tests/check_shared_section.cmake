# Checks that the hooks' data section of a DLL is one copy for all processes: objdump lists it
# with the SHARED flag.
#   cmake -DOBJDUMP=<objdump> -DDLL=<file.dll> -DSECTION=<name> -P check_shared_section.cmake
cmake_policy(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -h ${DLL} OUTPUT_VARIABLE headers RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot read the section headers of ${DLL}")
endif()
string(REPLACE "." "\\." pattern "${SECTION}")
# A section is two lines: name, sizes and addresses, then its flags.
string(REGEX MATCH " ${pattern} [^\n]*\n[^\n]*" entry "${headers}")
if(entry STREQUAL "")
  message(FATAL_ERROR "${DLL} has no section ${SECTION}")
endif()
if(NOT entry MATCHES "SHARED")
  message(FATAL_ERROR "${SECTION} of ${DLL} is not shared:\n${entry}")
endif()
message(STATUS "${entry}")
