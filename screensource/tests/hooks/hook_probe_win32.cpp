#include <windows.h>

#include "win32/hooks_win32.h"
#include "win32/hook_shared_data_win32.h"

namespace ss = brevan::screensource;

extern "C" __declspec(dllexport) int probeInstallHooks(void* target) {
  return ss::win32::installHooks(static_cast<ss::UpdateSource*>(target));
}

extern "C" __declspec(dllexport) int probeUninstallHooksFor(const void* source) {
  return ss::win32::uninstallHooksFor(static_cast<const ss::UpdateSource*>(source));
}

extern "C" __declspec(dllexport) void* probeHookTarget() { return ss::win32::hookTarget(); }

extern "C" __declspec(dllexport) const void* probeSharedData() { return &ss::win32::hookShared(); }
