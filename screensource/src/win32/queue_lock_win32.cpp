#include "win32/queue_lock_win32.h"

namespace brevan::screensource::win32 {

namespace {
constexpr char kMutexName[] = "ZmtrMtx1";

// A wait that ends abandoned or failed leaves the queue unguarded: the caller drops its event.
bool acquired(HANDLE mutex) {
  return mutex && WaitForSingleObject(mutex, INFINITE) == WAIT_OBJECT_0;
}
}  // namespace

thread_local HANDLE NamedQueueLock::opened_ = nullptr;

NamedQueueLock::NamedQueueLock() : created_(CreateMutexA(nullptr, FALSE, kMutexName)) {}

bool NamedQueueLock::lockForInsert() {
  HANDLE mutex = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kMutexName);
  if (!acquired(mutex)) {
    if (mutex) CloseHandle(mutex);
    return false;
  }
  opened_ = mutex;
  return true;
}

void NamedQueueLock::unlockAfterInsert() {
  ReleaseMutex(opened_);
  CloseHandle(opened_);
  opened_ = nullptr;
}

bool NamedQueueLock::lockForTake() { return acquired(created_.get()); }

void NamedQueueLock::unlockAfterTake() { ReleaseMutex(created_.get()); }

}  // namespace brevan::screensource::win32
