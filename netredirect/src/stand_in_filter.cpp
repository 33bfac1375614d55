#include "stand_in_filter.h"

#include <cstring>

namespace brevan::netredirect {

void StandInAdapter::arrive(uint32_t flags, const uint8_t* frame, size_t length) {
  if (length > kMaxFrameLength) return;  // the filter never hands over more
  std::unique_lock<std::mutex> lock(mutex_);
  if (mode_ != kModeTunnel) {
    lock.unlock();
    deliver(flags == kToNetwork ? kToNetwork : kToStack, frame, length);
    return;
  }
  queue_.push_back(FrameRecord{flags, std::vector<uint8_t>(frame, frame + length)});
  if (attached_) {
    signalled_ = true;
    changed_.notify_all();
  }
}

void StandInAdapter::setSink(Sink sink) {
  std::lock_guard<std::mutex> lock(mutex_);
  sink_ = std::move(sink);
}

bool StandInAdapter::takeSent(std::chrono::milliseconds limit, FrameRecord& sent) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!changed_.wait_for(lock, limit, [&] { return !sent_.empty(); })) return false;
  sent = std::move(sent_.front());
  sent_.pop_front();
  return true;
}

void StandInAdapter::failNextAttach(bool fail) {
  std::lock_guard<std::mutex> lock(mutex_);
  failAttach_ = fail;
}

uint32_t StandInAdapter::mode() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return mode_;
}

size_t StandInAdapter::queued() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.size();
}

int StandInAdapter::attaches() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return attaches_;
}

int StandInAdapter::detaches() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return detaches_;
}

bool StandInAdapter::attached() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return attached_;
}

bool StandInAdapter::attach() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (failAttach_) {
    failAttach_ = false;
    return false;
  }
  attached_ = true;
  signalled_ = !queue_.empty();
  ++attaches_;
  return true;
}

void StandInAdapter::detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!attached_) return;
  attached_ = false;
  ++detaches_;
}

void StandInAdapter::setMode(uint32_t mode) {
  std::lock_guard<std::mutex> lock(mutex_);
  mode_ = mode;
}

bool StandInAdapter::waitForFrames(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(mutex_);
  const bool signalled = changed_.wait_for(lock, limit, [&] { return signalled_; });
  signalled_ = false;
  return signalled;
}

void StandInAdapter::wake() {
  std::lock_guard<std::mutex> lock(mutex_);
  signalled_ = true;
  changed_.notify_all();
}

bool StandInAdapter::read(FrameBuffer& buffer) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (queue_.empty()) return false;
  const FrameRecord& next = queue_.front();
  buffer.flags = next.flags;
  buffer.length = uint32_t(next.bytes.size());
  std::memcpy(buffer.data, next.bytes.data(), next.bytes.size());
  queue_.pop_front();
  return true;
}

void StandInAdapter::send(uint32_t destination, const uint8_t* frame, size_t length) {
  deliver(destination, frame, length);
}

void StandInAdapter::flush() {
  std::lock_guard<std::mutex> lock(mutex_);
  queue_.clear();
}

void StandInAdapter::deliver(uint32_t destination, const uint8_t* frame, size_t length) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (sink_) {
    Sink sink = sink_;
    lock.unlock();
    sink(destination, frame, length);
    return;
  }
  sent_.push_back(FrameRecord{destination, std::vector<uint8_t>(frame, frame + length)});
  changed_.notify_all();
}

namespace {

class StandInPort : public AdapterPort {
 public:
  explicit StandInPort(std::shared_ptr<StandInAdapter> adapter) : adapter_(std::move(adapter)) {}
  bool attach() override { return adapter_->attach(); }
  void detach() override { adapter_->detach(); }
  void setMode(uint32_t mode) override { adapter_->setMode(mode); }
  bool waitForFrames(std::chrono::milliseconds limit) override {
    return adapter_->waitForFrames(limit);
  }
  void wake() override { adapter_->wake(); }
  bool read(FrameBuffer& buffer) override { return adapter_->read(buffer); }
  void send(const FrameBuffer& buffer) override {
    adapter_->send(buffer.flags == kToNetwork ? kToNetwork : kToStack, buffer.data,
                   buffer.length);
  }
  void flush() override { adapter_->flush(); }

 private:
  std::shared_ptr<StandInAdapter> adapter_;
};

}  // namespace

void StandInFilter::setAdapters(const std::vector<std::string>& names) {
  adapters_.clear();
  for (const std::string& name : names) adapters_.push_back(std::make_shared<StandInAdapter>(name));
}

StandInAdapter* StandInFilter::adapter(size_t index) {
  return index < adapters_.size() ? adapters_[index].get() : nullptr;
}

bool StandInFilter::listAdapters(std::vector<AdapterEntry>& adapters) {
  if (!queryWorks_) return false;
  adapters.clear();
  for (size_t i = 0; i < adapters_.size() && i < kMaxAdapters; ++i) {
    adapters.push_back(AdapterEntry{adapters_[i]->name(), uint64_t(i + 1)});
  }
  return true;
}

std::unique_ptr<AdapterPort> StandInFilter::port(const AdapterEntry& adapter) {
  const size_t index = size_t(adapter.handle - 1);
  if (adapter.handle == 0 || index >= adapters_.size()) return nullptr;
  return std::make_unique<StandInPort>(adapters_[index]);
}

}  // namespace brevan::netredirect
