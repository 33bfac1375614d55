// The event queue of an update source: a ring of 1000 events in which tile rectangles are
// coalesced as they arrive, so that the packet cycle sends each changed tile once.
#pragma once

#include <cstdint>
#include <atomic>
#include <mutex>
#include <optional>

#include "tile_grid.h"

namespace brevan::screensource {

enum EventKind : int32_t {
  kNoEvent = -1,            // the coverage cache is empty
  kRetiredEvent = 100,      // merged into another event; taken and ignored
  kTileRectEvent = 200,     // x, y, w, h in tiles
  kCursorMovedEvent = 221,  // x, y in pixels, informational
};

struct UpdateEvent {
  int32_t kind = kNoEvent;
  int32_t x = 0;
  int32_t y = 0;
  int32_t w = 0;
  int32_t h = 0;
};

// The mutex that guards the queue. On Windows all sources of a process share one named mutex:
// inserts open it by name each time, takes use the handle the source created. A failed insert
// lock drops the new event; a failed take lock reports an empty queue.
class QueueLock {
 public:
  virtual ~QueueLock() = default;
  virtual bool lockForInsert() = 0;
  virtual void unlockAfterInsert() = 0;
  virtual bool lockForTake() = 0;
  virtual void unlockAfterTake() = 0;
};

// The lock of the portable builds and the tools: one process-local mutex.
class LocalQueueLock : public QueueLock {
 public:
  bool lockForInsert() override;
  void unlockAfterInsert() override;
  bool lockForTake() override;
  void unlockAfterTake() override;

 private:
  std::mutex mutex_;
};

// Pixel rectangle to tile rectangle: left and top rounded down, right and bottom up, with C's
// division (truncating toward zero), so negative coordinates round toward zero.
struct TileRect {
  int left, top, right, bottom;
};
TileRect pixelsToTiles(int left, int top, int right, int bottom);

class EventQueue {
 public:
  static constexpr int kSlots = 1000;  // at most 999 events wait

  EventQueue(TileGrid grid, QueueLock& lock) : lock_(lock) { setGrid(grid); }

  // Clip a tile rectangle to the grid (dropping what lies wholly or absurdly outside it) and
  // coalesce it into the queue.
  void addTileRect(int left, int top, int right, int bottom);
  // The pixel-to-tile step, then addTileRect.
  void addPixelRect(int left, int top, int right, int bottom);
  // Append without coalescing (cursor-moved events); dropped when the queue is full.
  void queueEvent(const UpdateEvent& event);
  // Copy out the oldest event; false when the queue is empty.
  bool take(UpdateEvent& event);
  // True when a queued tile rectangle contains the tile (x, y).
  bool covered(int x, int y);
  // Empty the queue and the coverage cache; the caller holds the lock (the grid is rebuilt).
  void clear();
  // A new grid for the rectangles that follow; the caller holds the lock and clears.
  void setGrid(TileGrid grid) {
    cols_.store(grid.cols);
    rows_.store(grid.rows);
  }
  TileGrid grid() const { return {cols_.load(), rows_.load()}; }

  int size() const { return (tail_.load() - head_.load() + kSlots) % kSlots; }
  const UpdateEvent& slot(int index) const { return events_[index]; }
  int head() const { return head_.load(); }

 private:
  static std::optional<UpdateEvent> clip(int left, int top, int right, int bottom, TileGrid grid);
  bool coveredByCache(const UpdateEvent& event);
  void setCoverage(const UpdateEvent& event);
  bool scanAndPlace(UpdateEvent& event, int& chosen);
  bool full() const;
  void append(const UpdateEvent& event);

  // Written under the lock (the grid is rebuilt holding it), read before it for the fast path.
  std::atomic<int> cols_{0}, rows_{0};
  QueueLock& lock_;
  UpdateEvent events_[kSlots];
  // Changed under the lock; read without it only to skip the lock when nothing waits (the
  // named mutex costs a trip to the kernel, twice in every packet cycle of a quiet screen).
  std::atomic<int> head_{0};
  std::atomic<int> tail_{0};
  // The queued event that last contained a new rectangle. Read without the queue's lock, it only
  // ever lets a later rectangle be dropped that a queued one contains; its own small mutex keeps
  // the five words whole between the receiver and the packet thread.
  std::mutex coverageMutex_;
  UpdateEvent coverage_;
};

}  // namespace brevan::screensource
