// The event queues of all sources in the process share the mutex "ZmtrMtx1": the receiver
// thread's inserts open it by name each time, the packet thread uses the handle its source
// created.
#pragma once

#include "event_queue.h"
#include "winhelpers/handles.h"

namespace brevan::screensource::win32 {

class NamedQueueLock : public QueueLock {
 public:
  NamedQueueLock();
  bool lockForInsert() override;
  void unlockAfterInsert() override;
  bool lockForTake() override;
  void unlockAfterTake() override;

 private:
  brevan::win32::ScopedHandle created_;
  // One insert at a time holds an opened handle: inserts come from the receiver thread and the
  // packet thread's poller, each under the mutex it opened.
  thread_local static HANDLE opened_;
};

}  // namespace brevan::screensource::win32
