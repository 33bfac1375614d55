// Delivery threads of one channel, reused: a thread that has delivered a message waits a while
// for the next one instead of ending, because starting a thread costs far more than a delivery.
// A message goes to a waiting thread when there is one and to a new thread otherwise, so a
// listener that blocks never holds up another delivery, and no delivery runs on the caller.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>

#include "win32/slim_lock_win32.h"

namespace brevan::ipclink::win32 {

class DeliveryJob {
 public:
  virtual ~DeliveryJob() = default;
  virtual void run() = 0;
};

class DeliveryPool {
 public:
  // exited gets a handle of every thread that ends, just before it ends (the handle then
  // belongs to the callee, which waits for the end before freeing what the thread used).
  using ThreadExited = void (*)(HANDLE thread);
  explicit DeliveryPool(ThreadExited exited) : exited_(exited) {}
  DeliveryPool(const DeliveryPool&) = delete;
  DeliveryPool& operator=(const DeliveryPool&) = delete;

  // False, with the job dropped, when it has no thread to run on (stopping, or no thread
  // could be started and none waits).
  bool submit(std::unique_ptr<DeliveryJob> job);
  // Waiting threads end now, busy ones after their delivery; queued jobs still run first.
  void stop();
  // Threads started and not yet ended.
  int liveThreads() const { return live_; }
  // Threads waiting for a job that no queued job has claimed yet (a hint: it may change at once).
  int spareThreads();

  // How long a thread waits for another message before it ends.
  static constexpr DWORD kIdleLimitMs = 3000;

 private:
  static DWORD WINAPI threadMain(void* pool);
  void serve();
  bool startThreadLocked();
  std::unique_ptr<DeliveryJob> nextJobLocked();

  const ThreadExited exited_;
  SlimLock lock_;
  CONDITION_VARIABLE jobQueued_ = CONDITION_VARIABLE_INIT;
  std::deque<std::unique_ptr<DeliveryJob>> jobs_;  // guarded by lock_
  int waiting_ = 0;   // threads in the wait for a job; guarded by lock_
  int starting_ = 0;  // threads started that have not yet taken the lock; guarded by lock_
  bool stopping_ = false;  // guarded by lock_
  std::atomic<int> live_{0};
};

}  // namespace brevan::ipclink::win32
