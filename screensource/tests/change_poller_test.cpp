#include "change_poller.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace brevan::screensource::test {
namespace {

// Tiles marked changed read as all ones (the store's last-sent pixels are zero); the rest read
// as zero. Grabs of tiles in `failing` fail.
class MarkedTiles : public TileGrabber {
 public:
  explicit MarkedTiles(TileGrid grid) : grid_(grid), changed_(grid.tileCount()) {}
  const uint32_t* grabTile(int x, int y) override {
    ++grabs;
    if (failing.count({x, y})) return nullptr;
    return changed_[x + y * grid_.cols] ? ones_.data() : zeros_.data();
  }
  void mark(int x0, int y0, int x1, int y1, bool on = true) {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) changed_[x + y * grid_.cols] = on;
  }
  std::set<std::pair<int, int>> failing;
  int grabs = 0;

 private:
  TileGrid grid_;
  std::vector<char> changed_;
  std::vector<uint32_t> ones_ = std::vector<uint32_t>(kTileWords, 1);
  std::vector<uint32_t> zeros_ = std::vector<uint32_t>(kTileWords, 0);
};

struct Rig {
  explicit Rig(TileGrid g)
      : grid(g), queue(g, lock), store(g.tileCount()), tiles(g), poller(g, queue, store, tiles) {}
  std::vector<UpdateEvent> drain() {
    std::vector<UpdateEvent> out;
    UpdateEvent e;
    while (queue.take(e)) out.push_back(e);
    return out;
  }
  TileGrid grid;
  LocalQueueLock lock;
  EventQueue queue;
  TileStore store;
  MarkedTiles tiles;
  ChangePoller poller;
};

TEST(ScanOrder, VisitsEveryTileOncePerPeriod) {
  for (TileGrid grid : {TileGrid{1, 1}, TileGrid{20, 12}, TileGrid{3, 7}, TileGrid{255, 2}}) {
    Rig rig(grid);
    int n = 0;
    for (int m = std::max(grid.cols, grid.rows) - 1; m > 0; m >>= 1) ++n;
    EXPECT_EQ(rig.poller.bits(), n);
    EXPECT_EQ(rig.poller.scanPeriod(), 1 << (2 * n));
    std::multiset<std::pair<int, int>> seen;
    for (int i = 0; i < grid.tileCount(); ++i) {
      int x, y;
      rig.poller.nextScanPosition(x, y);
      seen.insert({x, y});
    }
    std::set<std::pair<int, int>> distinct(seen.begin(), seen.end());
    EXPECT_EQ(distinct.size(), size_t(grid.tileCount())) << grid.cols << "x" << grid.rows;
  }
  Rig spread({20, 12});
  int x, y;
  spread.poller.nextScanPosition(x, y);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(0, 0));
  spread.poller.nextScanPosition(x, y);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(16, 0)) << "the second probe lies far away";
}

TEST(Grow, QueuesTheChangedRegionAndStopsAtItsEdges) {
  struct Case {
    const char* name;
    int x0, y0, x1, y1;   // changed tiles (inclusive)
    UpdateEvent covered;  // already queued, or kind -1
    std::pair<int, int> failing;
    std::vector<int> expected;  // x, y, w, h of the queued rectangle, empty for none
  };
  const Case cases[] = {
      {"a block in the middle", 3, 2, 6, 4, {}, {-1, -1}, {3, 2, 4, 3}},
      {"up to the area's edges", 0, 0, 9, 7, {}, {-1, -1}, {0, 0, 10, 8}},
      {"a covered tile is a border",
       2,
       2,
       7,
       2,
       {kTileRectEvent, 5, 2, 1, 1},
       {-1, -1},
       {2, 2, 3, 1}},
      {"a failed grab queues nothing", 2, 2, 5, 5, {}, {6, 3}, {}},
  };
  for (const Case& c : cases) {
    Rig rig({10, 8});
    rig.tiles.mark(c.x0, c.y0, c.x1, c.y1);
    if (c.covered.kind == kTileRectEvent)
      rig.queue.addTileRect(c.covered.x, c.covered.y, c.covered.x + c.covered.w,
                            c.covered.y + c.covered.h);
    if (c.failing.first >= 0) rig.tiles.failing.insert(c.failing);
    rig.poller.grow(c.x0, c.y0);
    std::vector<UpdateEvent> queued = rig.drain();
    if (c.covered.kind == kTileRectEvent) queued.erase(queued.begin());
    if (c.expected.empty()) {
      EXPECT_TRUE(queued.empty()) << c.name;
      continue;
    }
    ASSERT_EQ(queued.size(), 1u) << c.name;
    EXPECT_EQ((std::vector<int>{queued[0].x, queued[0].y, queued[0].w, queued[0].h}), c.expected)
        << c.name;
  }
}

TEST(HotTiles, LoseALifePerQuietRevisitAndRegainThemOnChange) {
  Rig rig({4, 1});  // n = 2: scan positions 0..3 come up in the first steps
  rig.tiles.mark(1, 0, 1, 0);
  while (rig.poller.hotTiles().empty()) rig.poller.step();
  ASSERT_EQ(rig.poller.hotTiles().size(), 2u) << "the changed tile and its right neighbour";
  rig.drain();
  rig.tiles.mark(1, 0, 1, 0, false);
  auto stepsToRevisit = [&] {
    for (int i = 0; i < ChangePoller::kRevisitPeriod; ++i) rig.poller.step();
  };
  for (int i = 0; i < 2 * (ChangePoller::kLives - 1); ++i) stepsToRevisit();
  ASSERT_EQ(rig.poller.hotTiles().size(), 2u);
  EXPECT_EQ(rig.poller.hotTiles()[0].lives, 1);
  rig.tiles.mark(1, 0, 1, 0);
  stepsToRevisit();  // revisits (1, 0): changed again, full lives and a queued region
  EXPECT_EQ(rig.poller.hotTiles()[0].lives, ChangePoller::kLives);
  EXPECT_FALSE(rig.drain().empty());
  rig.tiles.mark(1, 0, 1, 0, false);
  for (int i = 0; i < 2 * ChangePoller::kLives + 2; ++i) stepsToRevisit();
  EXPECT_TRUE(rig.poller.hotTiles().empty());
}

TEST(HotTiles, AreCappedAtOneHundred) {
  Rig rig({120, 2});
  for (int x = 0; x < 120; x += 2) rig.tiles.mark(x, 0, x, 0);  // isolated changes
  for (int i = 0; i < 4000 && rig.poller.hotTiles().size() < 100; ++i) {
    rig.poller.step();
    rig.drain();
  }
  EXPECT_EQ(rig.poller.hotTiles().size(), 100u);
  for (int i = 0; i < 400; ++i) {
    rig.poller.step();
    rig.drain();
  }
  EXPECT_EQ(rig.poller.hotTiles().size(), 100u);
}

TEST(PollerStep, AnEmptyGridDoesNothing) {
  Rig rig({0, 0});
  for (int i = 0; i < 40; ++i) rig.poller.step();
  EXPECT_EQ(rig.tiles.grabs, 0);
}

}  // namespace
}  // namespace brevan::screensource::test
