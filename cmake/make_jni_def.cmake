# Writes a module-definition file that exports every JNI native method of the given objects under
# both names a 32-bit JVM may look up: the decorated stdcall form "_Java_..._m@N" (looked up first)
# and the plain "Java_..._m".
#   cmake -DNM=<nm> -DOUTPUT=<file.def> -DOBJECTS=<a.obj|b.obj|...> -P make_jni_def.cmake
cmake_policy(VERSION 3.25)
string(REPLACE "|" ";" objects "${OBJECTS}")
set(lines "EXPORTS\n")
set(seen "")
foreach(object IN LISTS objects)
  execute_process(COMMAND ${NM} --defined-only -g ${object}
      OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot read the symbols of ${object}")
  endif()
  # A stdcall function Java_x taking N argument bytes is the COFF symbol _Java_x@N.
  string(REGEX MATCHALL "[ \t]T[ \t]+_Java_[A-Za-z0-9_]+@[0-9]+" found "${symbols}")
  foreach(entry IN LISTS found)
    string(REGEX REPLACE "^[ \t]T[ \t]+_" "" decorated "${entry}")
    if(decorated IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${decorated})
    string(REGEX REPLACE "@[0-9]+$" "" plain "${decorated}")
    string(APPEND lines "  _${decorated}=${decorated}\n  ${plain}=${decorated}\n")
  endforeach()
endforeach()
file(WRITE "${OUTPUT}" "${lines}")
