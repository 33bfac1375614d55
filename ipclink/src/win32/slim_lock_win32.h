// A mutex that never owns a kernel object, for std::lock_guard.
//
// The posix-thread runtime's std::mutex creates a wait event the first time two threads meet on
// it and, having a trivial destructor, never closes it: every contended mutex of a destroyed
// channel would leave a handle behind. A slim reader/writer lock needs neither creating nor
// destroying.
#pragma once

#include <windows.h>

namespace brevan::ipclink::win32 {

class SlimLock {
 public:
  SlimLock() = default;
  SlimLock(const SlimLock&) = delete;
  SlimLock& operator=(const SlimLock&) = delete;

  void lock() { AcquireSRWLockExclusive(&lock_); }
  bool try_lock() { return TryAcquireSRWLockExclusive(&lock_) != 0; }
  void unlock() { ReleaseSRWLockExclusive(&lock_); }
  // For condition variables (SleepConditionVariableSRW), held exclusively.
  SRWLOCK* native() { return &lock_; }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
};

}  // namespace brevan::ipclink::win32
