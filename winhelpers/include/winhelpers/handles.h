// Holders of kernel objects, find handles, registry keys, modules and desktops.
#pragma once

#include <windows.h>

#include "winhelpers/scoped.h"

namespace brevan::win32 {

// The creators of kernel objects disagree on "none", so null and INVALID_HANDLE_VALUE both are.
struct EitherNoneHandleTraits : NullIsNoneTraits<HANDLE> {
  static bool valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
};

// A kernel object handle (CloseHandle).
struct KernelHandleTraits : EitherNoneHandleTraits {
  static constexpr char kKind[] = "kernel handle";
  static bool release(Handle h) { return CloseHandle(h) != FALSE; }
};

// A FindFirstFile search (FindClose).
struct FindHandleTraits : EitherNoneHandleTraits {
  static constexpr char kKind[] = "find handle";
  static bool release(Handle h) { return FindClose(h) != FALSE; }
};

// An opened registry key (RegCloseKey, whose error is its result).
struct RegistryKeyTraits : NullIsNoneTraits<HKEY> {
  static constexpr char kKind[] = "registry key";
  static bool release(Handle h) {
    const LONG result = RegCloseKey(h);
    if (result != ERROR_SUCCESS) SetLastError(DWORD(result));
    return result == ERROR_SUCCESS;
  }
};

// A loaded library (FreeLibrary).
struct ModuleTraits : NullIsNoneTraits<HMODULE> {
  static constexpr char kKind[] = "module";
  static bool release(Handle h) { return FreeLibrary(h) != FALSE; }
};

// An opened or created desktop (CloseDesktop).
struct DesktopTraits : NullIsNoneTraits<HDESK> {
  static constexpr char kKind[] = "desktop";
  static bool release(Handle h) { return CloseDesktop(h) != FALSE; }
};

using ScopedHandle = Scoped<KernelHandleTraits>;
using ScopedFindHandle = Scoped<FindHandleTraits>;
using ScopedRegistryKey = Scoped<RegistryKeyTraits>;
using ScopedModule = Scoped<ModuleTraits>;
using ScopedDesktop = Scoped<DesktopTraits>;

// An entry point looked up by name at run time, so the caller loads where it is missing.
template <typename Function>
Function boundEntry(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

}  // namespace brevan::win32
