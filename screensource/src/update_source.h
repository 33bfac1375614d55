// One captured area (the desktop or a window) and the packet cycle that turns its queued
// changes, the poller's finds and the cursor into screen data packets.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>

#include "change_poller.h"
#include "cursor_rest.h"
#include "cursor_shape_cache.h"
#include "event_queue.h"
#include "packet_buffer.h"
#include "packet_format.h"
#include "pixel_coder.h"
#include "screen_access.h"
#include "tile_store.h"

namespace brevan::screensource {

class UpdateSource : private TileGrabber {
 public:
  // Events of one cycle stop being taken after this long; the rest stays queued.
  static constexpr std::chrono::milliseconds kEventBudget{25};

  UpdateSource(std::unique_ptr<Grabber> grabber, std::unique_ptr<CursorSource> cursor,
               QueueLock& lock);
  ~UpdateSource() override;

  // One packet cycle. True when `packet` holds a packet to deliver (ending with the end record);
  // false when there was nothing to send or a stop was requested during the cycle.
  bool runCycle(PacketBuffer& packet);

  EventQueue& queue() { return queue_; }
  // A changed rectangle in screen pixels (a hook report), taken relative to the area's origin.
  void addScreenRect(int left, int top, int right, int bottom) {
    const int x = originLeft_.load(), y = originTop_.load();
    queue_.addPixelRect(left - x, top - y, right - x, bottom - y);
  }
  const TileStore& tileStore() const { return *store_; }
  const CursorShapeCache& cursorCache() const { return cursorCache_; }
  Grabber& grabber() { return *grabber_; }

  // 1 .. 8, used from the next tile on; other values are ignored.
  void setBitsPerColor(int bits) { bitsRequested_.store(bits); }
  int bitsPerColor() const { return coder_.bits(); }
  void raisePendingRestartFlag() { fullRefresh_.store(true); }
  int pixelWidth() const { return area_.width; }
  int pixelHeight() const { return area_.height; }
  TileGrid grid() const { return grid_; }
  // Tools and tests replay whole scenes: nothing limits a cycle's events, and every cycle reads
  // the cursor.
  void liftCycleLimits() {
    budget_.reset();
    cursorRest_.readEveryCycle();
  }
  void requestStop() { stop_.store(true); }
  bool stopRequested() const { return stop_.load(); }

 private:
  const uint32_t* grabTile(int x, int y) override;
  std::unique_ptr<ChangePoller> makePoller(TileGrid grid, const TileStore& store);
  void refresh(PacketBuffer& packet, const Area* newArea);
  bool takeEvents(PacketBuffer& packet);
  void appendPosition(PacketBuffer& packet, CursorPosition position);
  void readCursor(PacketBuffer& packet);
  void cursorRecords(PacketBuffer& packet);
  void sendShape(PacketBuffer& packet, CursorHandle handle);
  void finishShapeRecord(PacketBuffer& packet);
  void tileBlock(PacketBuffer& packet, const UpdateEvent& event);
  void tileRecord(PacketBuffer& packet, int t, const uint32_t* rows, int stride, uint32_t hash,
                  int status);
  void newTile(PacketBuffer& packet, int t, const uint32_t* rows, int stride, uint32_t hash);

  std::unique_ptr<Grabber> grabber_;
  std::unique_ptr<CursorSource> cursor_;
  QueueLock& lock_;
  Area area_;
  TileGrid grid_;
  EventQueue queue_;
  std::unique_ptr<TileStore> store_;
  std::unique_ptr<ChangePoller> poller_;
  CursorShapeCache cursorCache_;
  PixelCoder coder_;
  std::atomic<int> originLeft_{0}, originTop_{0};  // read by the receiver thread
  std::atomic<int> bitsRequested_{3};
  std::atomic<bool> fullRefresh_{true};
  std::atomic<bool> stop_{false};
  std::optional<std::chrono::milliseconds> budget_ = kEventBudget;
  CursorRest cursorRest_;
  CursorHandle lastShape_ = kNoCursor;
  bool shapeSent_ = false;
  CursorPosition lastPosition_;
  std::vector<uint32_t> tileHash_;  // scratch of a tile block
  std::vector<int> tileStatus_;
};

}  // namespace brevan::screensource
