#include "event_queue.h"

#include <algorithm>
#include <optional>

namespace brevan::screensource {

bool LocalQueueLock::lockForInsert() {
  mutex_.lock();
  return true;
}
void LocalQueueLock::unlockAfterInsert() { mutex_.unlock(); }
bool LocalQueueLock::lockForTake() {
  mutex_.lock();
  return true;
}
void LocalQueueLock::unlockAfterTake() { mutex_.unlock(); }

TileRect pixelsToTiles(int left, int top, int right, int bottom) {
  // Rounding up in 64 bits: a window rectangle may reach the ends of the int range.
  auto roundUp = [](int v) { return static_cast<int>((int64_t{v} + kTileSide - 1) / kTileSide); };
  return {left / kTileSide, top / kTileSide, roundUp(right), roundUp(bottom)};
}

void EventQueue::addPixelRect(int left, int top, int right, int bottom) {
  TileRect t = pixelsToTiles(left, top, right, bottom);
  addTileRect(t.left, t.top, t.right, t.bottom);
}

namespace {

struct Bounds {
  int left, top, right, bottom;
};

Bounds boundsOf(const UpdateEvent& e) { return {e.x, e.y, e.x + e.w, e.y + e.h}; }

bool inside(const Bounds& a, const Bounds& b) {
  return b.left <= a.left && b.top <= a.top && a.right <= b.right && a.bottom <= b.bottom;
}

long long area(const Bounds& b) { return 1LL * (b.right - b.left) * (b.bottom - b.top); }

// Trims n where p spans its full height or width and covers one end of it. True when n changed.
bool trim(Bounds& n, const Bounds& p) {
  if (p.top <= n.top && n.bottom <= p.bottom) {
    if (p.left < n.right && n.right <= p.right) {
      n.right = p.left;
      return true;
    }
    if (p.left <= n.left && n.left < p.right) {
      n.left = p.right;
      return true;
    }
  }
  if (p.left <= n.left && n.right <= p.right) {
    if (p.top < n.bottom && n.bottom <= p.bottom) {
      n.bottom = p.top;
      return true;
    }
    if (p.top <= n.top && n.top < p.bottom) {
      n.top = p.bottom;
      return true;
    }
  }
  return false;
}

// Merges when the bounding box covers less than the two areas together.
bool merge(Bounds& n, const Bounds& p) {
  bool overlap = n.left < p.right && p.left < n.right && n.top < p.bottom && p.top < n.bottom;
  if (!overlap) return false;
  Bounds box{std::min(n.left, p.left), std::min(n.top, p.top), std::max(n.right, p.right),
             std::max(n.bottom, p.bottom)};
  if (area(box) >= area(n) + area(p)) return false;
  n = box;
  return true;
}

}  // namespace

// Drops what lies wholly or absurdly outside the grid, clamps the rest to it.
std::optional<UpdateEvent> EventQueue::clip(int left, int top, int right, int bottom,
                                            TileGrid grid) {
  const int cols = grid.cols;
  const int rows = grid.rows;
  if (left >= right || top >= bottom || right <= 0 || bottom <= 0) return std::nullopt;
  if (left >= cols || top >= rows) return std::nullopt;
  // Rectangles far outside the grid are taken for garbage rather than clipped.
  if (left <= -cols || top <= -rows || right >= 2 * cols || bottom >= 2 * rows) return std::nullopt;
  left = std::max(left, 0);
  top = std::max(top, 0);
  return UpdateEvent{kTileRectEvent, left, top, std::min(right, cols) - left,
                     std::min(bottom, rows) - top};
}

void EventQueue::addTileRect(int left, int top, int right, int bottom) {
  std::optional<UpdateEvent> event = clip(left, top, right, bottom, grid());
  if (!event || coveredByCache(*event)) return;
  if (!lock_.lockForInsert()) return;
  // The grid is rebuilt under the lock, so the rectangle is clipped again now that it is held.
  event = clip(left, top, right, bottom, grid());
  int chosen = -1;
  if (event && !full() && scanAndPlace(*event, chosen)) {
    if (chosen >= 0) {
      events_[chosen] = *event;
    } else {
      append(*event);
    }
  }
  lock_.unlockAfterInsert();
}

// The fast path before the lock: a rectangle inside the queued one that last swallowed a new
// rectangle is dropped at once. Otherwise the cache is cleared, as the scan will refill it.
bool EventQueue::coveredByCache(const UpdateEvent& event) {
  std::lock_guard<std::mutex> lock(coverageMutex_);
  if (event.kind == coverage_.kind && inside(boundsOf(event), boundsOf(coverage_))) return true;
  coverage_.kind = kNoEvent;
  return false;
}

void EventQueue::setCoverage(const UpdateEvent& event) {
  std::lock_guard<std::mutex> lock(coverageMutex_);
  coverage_ = event;
}

// Scans the queued events of the same kind, trimming, merging or retiring as the rules say.
// False when the new event is dropped (contained in a queued one, or trimmed away).
bool EventQueue::scanAndPlace(UpdateEvent& event, int& chosen) {
  Bounds n = boundsOf(event);
  const int tail = tail_.load();
  for (int i = head_.load(); i != tail;) {
    UpdateEvent& queued = events_[i];
    if (queued.kind != event.kind) {
      i = (i + 1) % kSlots;
      continue;
    }
    Bounds p = boundsOf(queued);
    bool restart = false;
    if (inside(n, p)) {
      setCoverage(queued);
      return false;
    }
    if (inside(p, n)) {
      queued.kind = kRetiredEvent;
      if (chosen < 0) chosen = i;
    } else if (trim(n, p)) {
      restart = true;
    } else if (merge(n, p)) {
      queued.kind = kRetiredEvent;
      if (chosen < 0) chosen = i;
      restart = true;
    }
    if (!restart) {
      i = (i + 1) % kSlots;
      continue;
    }
    if (n.right - n.left < 1 || n.bottom - n.top < 1) return false;
    i = head_.load();
  }
  event = {event.kind, n.left, n.top, n.right - n.left, n.bottom - n.top};
  return true;
}

bool EventQueue::full() const { return (tail_.load() + 1) % kSlots == head_.load(); }

void EventQueue::append(const UpdateEvent& event) {
  const int tail = tail_.load();
  events_[tail] = event;
  tail_.store((tail + 1) % kSlots);
}

void EventQueue::queueEvent(const UpdateEvent& event) {
  if (!lock_.lockForInsert()) return;
  if (!full()) append(event);
  lock_.unlockAfterInsert();
}

bool EventQueue::take(UpdateEvent& event) {
  if (head_.load() == tail_.load() || !lock_.lockForTake()) return false;
  const int head = head_.load();
  bool any = head != tail_.load();
  if (any) {
    event = events_[head];
    setCoverage({});
    head_.store((head + 1) % kSlots);
  }
  lock_.unlockAfterTake();
  return any;
}

bool EventQueue::covered(int x, int y) {
  if (head_.load() == tail_.load() || !lock_.lockForTake()) return false;
  bool found = false;
  const int tail = tail_.load();
  for (int i = head_.load(); i != tail && !found; i = (i + 1) % kSlots) {
    const UpdateEvent& e = events_[i];
    found = e.kind == kTileRectEvent && e.x <= x && x < e.x + e.w && e.y <= y && y < e.y + e.h;
  }
  lock_.unlockAfterTake();
  return found;
}

void EventQueue::clear() {
  head_.store(tail_.load());
  setCoverage({});
}

}  // namespace brevan::screensource
