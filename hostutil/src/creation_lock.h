#pragma once

namespace brevan::hostutil {

// Holds "Global\channelBeingCreatedMutex", shared with every process that creates client
// channels, for the lifetime of the object. A lock that cannot be had is gone on without.
class ChannelCreationLock {
 public:
  ChannelCreationLock();
  ~ChannelCreationLock();
  ChannelCreationLock(const ChannelCreationLock&) = delete;
  ChannelCreationLock& operator=(const ChannelCreationLock&) = delete;

  bool held() const { return held_; }

 private:
  bool held_ = false;
};

}  // namespace brevan::hostutil
