#include <windows.h>

#include <atomic>

#include "system_backends.h"
#include "win32/scoped_handle.h"

namespace hostutil {

namespace {

// Made on first use and kept until the process ends; a failed open is tried again next call.
HANDLE serviceReadyEvent() {
  static std::atomic<HANDLE> cached{nullptr};
  HANDLE event = cached.load();
  if (event != nullptr) return event;
  win32::OpenSecurity security(false);
  event = CreateEventW(security.get(), TRUE, FALSE, L"Global\\serviceReadyForClientToStart");
  if (event == nullptr) return nullptr;
  HANDLE expected = nullptr;
  // Two first callers at once: one handle is kept, the other closed.
  if (!cached.compare_exchange_strong(expected, event)) {
    CloseHandle(event);
    return expected;
  }
  return event;
}

}  // namespace

void setServiceReadyFlag(bool ready) {
  HANDLE event = serviceReadyEvent();
  if (event == nullptr) return;
  if (ready) {
    SetEvent(event);
  } else {
    ResetEvent(event);
  }
}

bool serviceReadyFlag() {
  HANDLE event = serviceReadyEvent();
  return event != nullptr && WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

}  // namespace hostutil
