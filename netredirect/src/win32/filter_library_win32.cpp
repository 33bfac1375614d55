#include "win32/filter_library_win32.h"

#include <cstdlib>
#include <mutex>

namespace brevan::netredirect::win32 {
namespace {

template <class Function>
bool bind(HMODULE module, const char* name, Function& function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return function != nullptr;
}

}  // namespace

FilterLibrary& filterLibrary() {
  static FilterLibrary* library = new FilterLibrary();
  return *library;
}

bool FilterLibrary::ready() {
  static std::once_flag once;
  static bool loaded = false;
  std::call_once(once, [this] { loaded = load(); });
  return loaded;
}

void FilterLibrary::closeAtExit() {
  FilterLibrary& library = filterLibrary();
  library.closeDriver(library.driver);
}

bool FilterLibrary::load() {
  // Kept loaded for the life of the process: workers and the exit clean-up call into it.
  HMODULE module = LoadLibraryW(L"ndisapi.dll");
  if (!module) return false;
  OpenDriver openDriver = nullptr;
  const bool bound =
      bind(module, "OpenFilterDriver", openDriver) &&
      bind(module, "CloseFilterDriver", closeDriver) &&
      bind(module, "IsDriverLoaded", isDriverLoaded) &&
      bind(module, "GetTcpipBoundAdaptersInfo", getTcpipBoundAdaptersInfo) &&
      bind(module, "SetPacketEvent", setPacketEvent) &&
      bind(module, "SetAdapterMode", setAdapterMode) &&
      bind(module, "FlushAdapterPacketQueue", flushAdapterPacketQueue) &&
      bind(module, "ReadPacket", readPacket) &&
      bind(module, "SendPacketToAdapter", sendPacketToAdapter) &&
      bind(module, "SendPacketToMstcp", sendPacketToMstcp);
  if (bound) driver = openDriver("NDISRD");
  if (!bound || !driver || driver == INVALID_HANDLE_VALUE) {
    driver = nullptr;
    FreeLibrary(module);
    return false;
  }
  // Registered before the translator's own clean-up, so it runs after it.
  std::atexit(closeAtExit);
  return true;
}

}  // namespace brevan::netredirect::win32
