# Writes a module-definition file that exports every JNI native method of the given objects under
# the names the JVM of the target looks up. On x86 these are the decorated stdcall form
# "_Java_..._m@N" (looked up first) and the plain "Java_..._m"; on x64 there is one calling
# convention and no decoration, so only the plain name.
#   cmake -DNM=<nm> -DOUTPUT=<file.def> -DX86=<ON|OFF> -DOBJECTS=<a.obj|b.obj|...> -P make_jni_def.cmake
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
  if(X86)
    # A stdcall function Java_x taking N argument bytes is the COFF symbol _Java_x@N.
    string(REGEX MATCHALL "[ \t]T[ \t]+_Java_[A-Za-z0-9_]+@[0-9]+" found "${symbols}")
  else()
    string(REGEX MATCHALL "[ \t]T[ \t]+Java_[A-Za-z0-9_]+" found "${symbols}")
  endif()
  foreach(entry IN LISTS found)
    string(REGEX REPLACE "^[ \t]T[ \t]+_?" "" symbol "${entry}")
    if(symbol IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${symbol})
    if(X86)
      string(REGEX REPLACE "@[0-9]+$" "" plain "${symbol}")
      string(APPEND lines "  _${symbol}=${symbol}\n  ${plain}=${symbol}\n")
    else()
      string(APPEND lines "  ${symbol}\n")
    endif()
  endforeach()
endforeach()
file(WRITE "${OUTPUT}" "${lines}")
