#include "update_source.h"

#include <algorithm>

namespace brevan::screensource {

namespace {

// A packet names tiles in one byte: the area is cut to 255 tiles a side.
constexpr int kLongestSide = 255 * kTileSide;

Area limited(Area area) {
  area.width = std::clamp(area.width, 0, kLongestSide);
  area.height = std::clamp(area.height, 0, kLongestSide);
  return area;
}

}  // namespace

UpdateSource::UpdateSource(std::unique_ptr<Grabber> grabber, std::unique_ptr<CursorSource> cursor,
                           QueueLock& lock)
    : grabber_(std::move(grabber)),
      cursor_(std::move(cursor)),
      lock_(lock),
      area_(limited(grabber_->currentArea())),
      grid_(gridFor(area_.width, area_.height)),
      queue_(grid_, lock) {
  originLeft_.store(area_.left);
  originTop_.store(area_.top);
  store_ = std::make_unique<TileStore>(grid_.tileCount());
  poller_ = makePoller(grid_, *store_);
  CursorPosition at = cursor_->position();
  queue_.queueEvent({kCursorMovedEvent, at.x, at.y, 0, 0});
}

UpdateSource::~UpdateSource() = default;

std::unique_ptr<ChangePoller> UpdateSource::makePoller(TileGrid grid, const TileStore& store) {
  return std::make_unique<ChangePoller>(grid, queue_, store, static_cast<TileGrabber&>(*this));
}

const uint32_t* UpdateSource::grabTile(int x, int y) {
  return grabber_->grab(x * kTileSide, y * kTileSide, kTileSide, kTileSide);
}

bool UpdateSource::runCycle(PacketBuffer& packet) {
  Area now = limited(grabber_->currentArea());
  bool areaChanged = now != area_;
  if (areaChanged) fullRefresh_.store(true);
  packet.clear();
  if (!fullRefresh_.load()) poller_->step();
  if (fullRefresh_.load()) refresh(packet, areaChanged ? &now : nullptr);
  if (cursorRest_.readDue()) readCursor(packet);
  if (!takeEvents(packet) || packet.empty()) return false;
  packet.put8(kEndRecord);
  return true;
}

// Starts both ends afresh: the tile state and the cursor cache are reset, and the area record
// tells the viewer to do the same. The lock keeps hook reports out of a half-built grid.
void UpdateSource::refresh(PacketBuffer& packet, const Area* newArea) {
  // A new grid's store (12 MiB and more) is built before the lock, which the hooks wait for.
  TileGrid newGrid = newArea ? gridFor(newArea->width, newArea->height) : grid_;
  std::unique_ptr<TileStore> newStore;
  if (newArea) newStore = std::make_unique<TileStore>(newGrid.tileCount());
  if (!lock_.lockForTake()) return;  // the flag stays raised; the next cycle tries again
  fullRefresh_.store(false);
  if (newArea) {
    area_ = *newArea;
    originLeft_.store(area_.left);
    originTop_.store(area_.top);
    grid_ = newGrid;
    poller_ = makePoller(grid_, *newStore);
    store_ = std::move(newStore);
    queue_.setGrid(grid_);
    queue_.clear();
  } else {
    store_->reset();
  }
  cursorCache_.reset();
  packet.put8(kAreaRecord);
  packet.put8(0);
  packet.put16(area_.width);
  packet.put16(area_.height);
  lock_.unlockAfterTake();
}

bool UpdateSource::takeEvents(PacketBuffer& packet) {
  auto start = std::chrono::steady_clock::now();
  UpdateEvent event;
  while ((!budget_ || std::chrono::steady_clock::now() - start <= *budget_) && queue_.take(event)) {
    if (event.kind == kTileRectEvent) {
      tileBlock(packet, event);
    } else if (event.kind == kCursorMovedEvent) {
      readCursor(packet);
    }
    if (stop_.load()) return false;
  }
  return true;
}

}  // namespace brevan::screensource
