// The channel and message classes are compiled into two products: the IpcLink library and the
// Java host library's own copy. Every behaviour in which the two builds differ is chosen here at
// compile time; defining IPCLINK_HOSTUTIL_BUILD selects the Java host's build.
#pragma once

namespace brevan::ipclink::build {

#if defined(IPCLINK_HOSTUTIL_BUILD)
inline constexpr bool kHostBuild = true;
// No output function and no status lines at all.
inline constexpr bool kStatusOutput = false;
// Inbound messages go to the host's delivery function instead of a listener list.
inline constexpr bool kListenerDelivery = false;
// The router's "ShutdownImmediately" ends the process with status 0.
inline constexpr bool kHonoursShutdownImmediately = true;
// A read failing with ERROR_FILE_NOT_FOUND repairs the channel like a broken pipe.
inline constexpr bool kFileNotFoundRepairs = true;
// Leaving the router: no goodbye message; the host destroys the channel directly.
inline constexpr bool kSendsGoodbye = false;
// Set-up retries stop as soon as the shutdown flag is set (no goodbye has to get out).
inline constexpr bool kSetupStopsAtShutdownRequest = true;
// A disconnect also closes the pipe handles.
inline constexpr bool kDisconnectClosesPipes = true;
#else
inline constexpr bool kHostBuild = false;
inline constexpr bool kStatusOutput = true;
inline constexpr bool kListenerDelivery = true;
inline constexpr bool kHonoursShutdownImmediately = false;
inline constexpr bool kFileNotFoundRepairs = false;
inline constexpr bool kSendsGoodbye = true;
// Set-up retries go on while Shutdown waits for the goodbye to get out, and stop after it.
inline constexpr bool kSetupStopsAtShutdownRequest = false;
inline constexpr bool kDisconnectClosesPipes = false;
#endif

}  // namespace brevan::ipclink::build
