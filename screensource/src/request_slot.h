// One pending input request of a kind, handed from the posting threads to the worker. The lock
// makes check-and-fill and copy-and-clear whole, so two posters cannot both fill a free slot
// and the worker never sees half-written values.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

namespace brevan::screensource {

// A request as the worker takes it, with its place among all requests posted.
template <class Values>
struct PostedRequest {
  Values values;
  uint64_t order;
};

template <class Values>
class RequestSlot {
 public:
  // `postingOrder` is shared by every slot, so requests of different kinds can be ordered.
  explicit RequestSlot(std::atomic<uint64_t>& postingOrder) : postingOrder_(postingOrder) {}

  // Fills the slot when it is free (or always, with `overwrite`); false when it was not free.
  bool post(const Values& values, bool overwrite) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pending_.load() && !overwrite) return false;
    values_ = values;
    order_ = postingOrder_.fetch_add(1);
    pending_.store(true);
    return true;
  }

  std::optional<PostedRequest<Values>> take() {
    if (!pending_.load()) return std::nullopt;
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.store(false);
    return PostedRequest<Values>{values_, order_};
  }

  // Read without the lock, for the worker's cheap idle check.
  bool pending() const { return pending_.load(); }

 private:
  std::atomic<uint64_t>& postingOrder_;
  std::mutex mutex_;
  Values values_{};                   // guarded by mutex_
  uint64_t order_ = 0;                // guarded by mutex_
  std::atomic<bool> pending_{false};  // written under mutex_
};

}  // namespace brevan::screensource
