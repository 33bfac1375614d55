// A filter backend of in-process adapters with frame queues, standing in for the filter driver
// in tests and on Linux. Frames "arrive" from outside with their direction; in tunnel mode they
// wait in the adapter's queue and signal its registered event, otherwise they go straight on.
// What leaves an adapter (to the network or up to the stack) goes to its sink, or is kept until
// taken when there is none.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "filter_backend.h"
#include "frames_file.h"

namespace brevan::netredirect {

class StandInAdapter {
 public:
  // `destination` is kToNetwork or kToStack.
  using Sink = std::function<void(uint32_t destination, const uint8_t* frame, size_t length)>;

  explicit StandInAdapter(std::string name) : name_(std::move(name)) {}
  const std::string& name() const { return name_; }

  // The outside's side.
  void arrive(uint32_t flags, const uint8_t* frame, size_t length);
  void setSink(Sink sink);
  // The next frame that left the adapter (its flags: where it went), waiting up to `limit`.
  bool takeSent(std::chrono::milliseconds limit, FrameRecord& sent);
  void failNextAttach(bool fail);
  uint32_t mode() const;
  size_t queued() const;
  int attaches() const;
  int detaches() const;
  bool attached() const;

  // The worker's side (through its port).
  bool attach();
  void detach();
  void setMode(uint32_t mode);
  bool waitForFrames(std::chrono::milliseconds limit);
  void wake();
  bool read(FrameBuffer& buffer);
  void send(uint32_t destination, const uint8_t* frame, size_t length);
  void flush();

 private:
  void deliver(uint32_t destination, const uint8_t* frame, size_t length);

  const std::string name_;
  mutable std::mutex mutex_;  // guards everything below
  std::condition_variable changed_;
  std::deque<FrameRecord> queue_;
  std::deque<FrameRecord> sent_;
  Sink sink_;
  uint32_t mode_ = kModeNone;
  bool attached_ = false;
  bool signalled_ = false;
  bool failAttach_ = false;
  int attaches_ = 0;
  int detaches_ = 0;
};

class StandInFilter : public FilterBackend {
 public:
  // Replaces the adapters; only while no worker runs.
  void setAdapters(const std::vector<std::string>& names);
  void setDriverLoaded(bool loaded) { driverLoaded_ = loaded; }
  void setQueryWorks(bool works) { queryWorks_ = works; }
  StandInAdapter* adapter(size_t index);

  bool driverLoaded() override { return driverLoaded_; }
  bool listAdapters(std::vector<AdapterEntry>& adapters) override;
  std::unique_ptr<AdapterPort> port(const AdapterEntry& adapter) override;

 private:
  std::vector<std::shared_ptr<StandInAdapter>> adapters_;
  bool driverLoaded_ = true;
  bool queryWorks_ = true;
};

}  // namespace brevan::netredirect
