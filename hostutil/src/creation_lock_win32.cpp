#include <windows.h>

#include "creation_lock.h"
#include "win32/host_channel_win32.h"

namespace brevan::hostutil {

// The same handle the channel classes use, so the process holds the global mutex once.
ChannelCreationLock::ChannelCreationLock() {
  HANDLE mutex = brevan::ipclink::win32::channelCreationMutex();
  if (mutex == nullptr) return;
  const DWORD waited = WaitForSingleObject(mutex, INFINITE);
  held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

ChannelCreationLock::~ChannelCreationLock() {
  if (held_) ReleaseMutex(brevan::ipclink::win32::channelCreationMutex());
}

}  // namespace brevan::hostutil
