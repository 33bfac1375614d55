// One slot of the source table: an update source, the lock of its queue, and once it sends,
// its packet thread. Shared by the table and the thread, so that whichever lets go last frees
// it: a close never frees what the thread is still using.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "current_packet.h"
#include "update_source.h"
#include "win32/queue_lock_win32.h"
#include "winhelpers/handles.h"

namespace brevan::screensource::win32 {

class SendingSource : public std::enable_shared_from_this<SendingSource> {
 public:
  SendingSource(std::unique_ptr<Grabber> grabber, std::unique_ptr<CursorSource> cursor);
  ~SendingSource();

  UpdateSource& source() { return *source_; }
  // Starts the packet thread (once); its handle, or null when it could not start.
  HANDLE startSending(CurrentPacket& packets);
  // Asks the thread to stop and waits for it up to `limit`; true when it has ended (or never
  // ran). Called on the packet thread itself it only asks.
  bool stop(DWORD limit);

 private:
  static DWORD WINAPI threadMain(void* block);
  void run(CurrentPacket& packets);

  NamedQueueLock lock_;  // before the source, which keeps a reference to it
  std::unique_ptr<UpdateSource> source_;
  brevan::win32::ScopedHandle thread_;
  DWORD threadId_ = 0;
  std::atomic<bool> running_{false};
};

}  // namespace brevan::screensource::win32
