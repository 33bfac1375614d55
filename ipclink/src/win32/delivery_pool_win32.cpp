#include "win32/delivery_pool_win32.h"

#include <mutex>

namespace brevan::ipclink::win32 {

bool DeliveryPool::submit(std::unique_ptr<DeliveryJob> job) {
  std::lock_guard<SlimLock> guard(lock_);
  if (stopping_) return false;
  jobs_.push_back(std::move(job));
  // Every queued job has a thread of its own coming for it: one that waits (woken here), one
  // already starting, or a new one.
  if (static_cast<size_t>(waiting_ + starting_) >= jobs_.size()) {
    WakeConditionVariable(&jobQueued_);
    return true;
  }
  if (startThreadLocked()) return true;
  jobs_.pop_back();
  return false;
}

int DeliveryPool::spareThreads() {
  std::lock_guard<SlimLock> guard(lock_);
  return waiting_ - static_cast<int>(jobs_.size());
}

void DeliveryPool::stop() {
  std::lock_guard<SlimLock> guard(lock_);
  stopping_ = true;
  WakeAllConditionVariable(&jobQueued_);
}

bool DeliveryPool::startThreadLocked() {
  ++live_;
  ++starting_;
  HANDLE thread = CreateThread(nullptr, 0, threadMain, this, 0, nullptr);
  if (!thread) {
    --starting_;
    --live_;
    return false;
  }
  // The thread hands a handle of its own to exited_ when it ends.
  CloseHandle(thread);
  return true;
}

// The next job, or null when the thread should end: stopping with nothing queued, or nothing
// queued for kIdleLimitMs.
std::unique_ptr<DeliveryJob> DeliveryPool::nextJobLocked() {
  while (jobs_.empty()) {
    if (stopping_) return nullptr;
    ++waiting_;
    BOOL woken = SleepConditionVariableSRW(&jobQueued_, lock_.native(), kIdleLimitMs, 0);
    --waiting_;
    if (!woken && jobs_.empty()) return nullptr;
  }
  std::unique_ptr<DeliveryJob> job = std::move(jobs_.front());
  jobs_.pop_front();
  return job;
}

void DeliveryPool::serve() {
  lock_.lock();
  --starting_;
  while (std::unique_ptr<DeliveryJob> job = nextJobLocked()) {
    lock_.unlock();
    job->run();
    job.reset();
    lock_.lock();
  }
  lock_.unlock();
}

DWORD WINAPI DeliveryPool::threadMain(void* argument) {
  auto* pool = static_cast<DeliveryPool*>(argument);
  pool->serve();
  HANDLE self = nullptr;
  if (DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0,
                      FALSE, DUPLICATE_SAME_ACCESS)) {
    pool->exited_(self);
  }
  // The pool may be freed as soon as the count drops: nothing of it is touched after this.
  --pool->live_;
  return 0;
}

}  // namespace brevan::ipclink::win32
