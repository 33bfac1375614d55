// Ownership of a Win32 mutex from a successful wait until the end of the scope.
#pragma once

#include <windows.h>

namespace brevan::win32 {

class MutexLock {
 public:
  explicit MutexLock(HANDLE mutex) : mutex_(mutex) {
    const DWORD result = WaitForSingleObject(mutex, INFINITE);
    locked_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  }
  ~MutexLock() {
    if (locked_) ReleaseMutex(mutex_);
  }
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;
  bool locked() const { return locked_; }

 private:
  HANDLE mutex_;
  bool locked_ = false;
};

}  // namespace brevan::win32
