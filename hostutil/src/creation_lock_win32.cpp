#include <windows.h>

#include <mutex>

#include "creation_lock.h"
#include "winhelpers/handles.h"
#include "winhelpers/open_security.h"

namespace hostutil {

namespace win32 = brevan::win32;

namespace {

constexpr wchar_t kCreationMutexName[] = L"Global\\channelBeingCreatedMutex";

// The library's one handle of the global mutex, made on first use and kept.
HANDLE creationMutex() {
  static std::mutex guard;
  static HANDLE mutex = nullptr;
  std::lock_guard<std::mutex> lock(guard);
  if (mutex != nullptr) return mutex;
  win32::OpenSecurity security(false);
  SetLastError(ERROR_SUCCESS);
  mutex = CreateMutexW(security.get(), FALSE, kCreationMutexName);
  if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
    win32::ScopedHandle(mutex).close();
    mutex = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kCreationMutexName);
  }
  return mutex;
}

}  // namespace

ChannelCreationLock::ChannelCreationLock() {
  HANDLE mutex = creationMutex();
  if (mutex == nullptr) return;
  const DWORD waited = WaitForSingleObject(mutex, INFINITE);
  held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

ChannelCreationLock::~ChannelCreationLock() {
  if (held_) ReleaseMutex(creationMutex());
}

}  // namespace hostutil
