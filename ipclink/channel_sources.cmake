# The channel and message classes as sources, for every product that compiles them in:
#
#   ipclink_add_channel_sources(<target> [HOSTUTIL] [DLL])
#
# adds the portable and win32 sources of the classes to <target>, the include directories
# (ipclink/include for ipclink.h, ipclink/src for the internals), the compile definitions
# IPCLINK_STATIC (no dllimport/dllexport) and, with HOSTUTIL, IPCLINK_HOSTUTIL_BUILD (the Java
# host's build, see src/channel_build_settings.h), and links winhelpers, ole32, oleaut32 and uuid.
# DLL (IpcLink.dll itself) defines IPCLINK_BUILDING_DLL instead of IPCLINK_STATIC.
# The definitions are PRIVATE to <target>, so every source of <target> that includes ipclink.h
# sees the same class layout. Windows only (the function does nothing on other targets).
#
# A HOSTUTIL build also gets the host channel functions of src/win32/host_channel_win32.h: the
# host creates its channels with the function that receives their inbound texts.

# The sources, relative to ipclink/; one list for every build.
function(ipclink_channel_source_list dir portable_out win32_out)
  set(${portable_out}
      ${dir}/src/framing.cpp ${dir}/src/frame_assembler.cpp ${dir}/src/text_format.cpp
      ${dir}/src/xml_text.cpp ${dir}/src/service_sender.cpp PARENT_SCOPE)
  set(${win32_out}
      ${dir}/src/win32/message_factory_win32.cpp ${dir}/src/win32/ipc_xml_message_win32.cpp
      ${dir}/src/win32/channel_setup_win32.cpp ${dir}/src/win32/channel_data_win32.cpp
      ${dir}/src/win32/channel_recovery_win32.cpp ${dir}/src/win32/channel_threads_win32.cpp
      ${dir}/src/win32/delivery_pool_win32.cpp
      PARENT_SCOPE)
endfunction()

function(ipclink_add_channel_sources target)
  cmake_parse_arguments(ARG "HOSTUTIL;DLL" "" "" ${ARGN})
  if(NOT BREVAN_WIN32)
    return()
  endif()
  set(dir ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
  ipclink_channel_source_list(${dir} portable win32)
  target_sources(${target} PRIVATE ${portable} ${win32})
  target_include_directories(${target} PRIVATE ${dir}/include ${dir}/src)
  if(ARG_DLL)
    target_compile_definitions(${target} PRIVATE IPCLINK_BUILDING_DLL)
  else()
    target_compile_definitions(${target} PRIVATE IPCLINK_STATIC)
  endif()
  if(ARG_HOSTUTIL)
    target_compile_definitions(${target} PRIVATE IPCLINK_HOSTUTIL_BUILD)
    target_sources(${target} PRIVATE ${dir}/src/win32/host_channel_win32.cpp)
  endif()
  target_link_libraries(${target} PRIVATE winhelpers ole32 oleaut32 uuid)
endfunction()
