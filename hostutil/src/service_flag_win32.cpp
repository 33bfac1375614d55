#include <windows.h>

#include <atomic>

#include "system_backends.h"
#include "winhelpers/handles.h"
#include "winhelpers/open_security.h"

namespace brevan::hostutil {

namespace win32 = brevan::win32;

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
    win32::ScopedHandle(event).close();
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

}  // namespace brevan::hostutil
