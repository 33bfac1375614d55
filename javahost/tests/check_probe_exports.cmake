# The probe DLL must export each native method under the decorated stdcall name that a 32-bit
# JVM looks up first and under the plain name, and the host-probe export undecorated.
#   cmake -DOBJDUMP=<objdump> -DDLL=<JniProbe.dll> -P check_probe_exports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE table RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot read the export table of ${DLL}")
endif()
# Argument bytes: env and class 4 each, jint 4, jlong 8, jstring 4.
set(expected
    _Java_zemtra_nativeCode_JniProbe_add@16
    Java_zemtra_nativeCode_JniProbe_add
    _Java_zemtra_nativeCode_JniProbe_callBackFromThread@24
    Java_zemtra_nativeCode_JniProbe_callBackFromThread
    RNIGetCompatibleVersion)
set(missing "")
foreach(name IN LISTS expected)
  if(NOT table MATCHES "[ \t]${name}[\r\n]")
    list(APPEND missing ${name})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "${DLL} does not export: ${missing}\n${table}")
endif()
message(STATUS "${DLL} exports both name forms of every native method")
