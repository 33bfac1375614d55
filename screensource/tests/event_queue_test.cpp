#include "event_queue.h"

#include <gtest/gtest.h>

#include <vector>

#include "report_messages.h"

namespace brevan::screensource::test {
namespace {

struct Rect {
  int x, y, w, h;
  bool operator==(const Rect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

std::ostream& operator<<(std::ostream& out, const Rect& r) {
  return out << "(" << r.x << "," << r.y << " " << r.w << "x" << r.h << ")";
}

// Counts the lock's uses, to tell the lock-free fast path from a scan.
class CountingLock : public LocalQueueLock {
 public:
  bool lockForInsert() override {
    ++inserts;
    return LocalQueueLock::lockForInsert();
  }
  int inserts = 0;
};

// The live tile rectangles in queue order; retired slots show as kind 100 in `retired`.
std::vector<Rect> liveRects(const EventQueue& queue, int* retired = nullptr) {
  std::vector<Rect> out;
  if (retired) *retired = 0;
  for (int i = 0; i < queue.size(); ++i) {
    const UpdateEvent& e = queue.slot((queue.head() + i) % EventQueue::kSlots);
    if (e.kind == kTileRectEvent) out.push_back({e.x, e.y, e.w, e.h});
    if (e.kind == kRetiredEvent && retired) ++*retired;
  }
  return out;
}

TEST(PixelToTile, DropsClampsAndRoundsTowardZero) {
  struct Case {
    int l, t, r, b;
    std::vector<Rect> expected;
  };
  // Grid of 10 x 8 tiles (640 x 512 pixels).
  const Case cases[] = {
      {0, 0, 1, 1, {{0, 0, 1, 1}}},
      {63, 64, 65, 128, {{0, 1, 2, 1}}},
      {-100, -10, 70, 30, {{0, 0, 2, 1}}},  // -100/64 is -1: clamped to column 0
      {-700, 0, 64, 64, {}},                // left <= -cols
      {600, 500, 1200, 900, {{9, 7, 1, 1}}},
      {0, 0, 1280, 64, {}},   // right reaches twice the grid
      {640, 0, 700, 64, {}},  // starts right of the grid
      {0, 0, -5, 64, {}},
  };
  for (const Case& c : cases) {
    LocalQueueLock lock;
    EventQueue queue({10, 8}, lock);
    queue.addPixelRect(c.l, c.t, c.r, c.b);
    EXPECT_EQ(liveRects(queue), c.expected) << c.l << "," << c.t << "," << c.r << "," << c.b;
  }
}

TEST(Coalesce, FollowsTheContainmentTrimAndMergeRules) {
  struct Case {
    const char* name;
    std::vector<Rect> added;  // x, y, w, h in tiles, added in order
    std::vector<Rect> expected;
    int retired;
  };
  const Case cases[] = {
      {"contained is dropped", {{0, 0, 4, 4}, {1, 1, 2, 2}}, {{0, 0, 4, 4}}, 0},
      {"touching side by side stay two",
       {{0, 0, 2, 2}, {2, 0, 2, 2}},
       {{0, 0, 2, 2}, {2, 0, 2, 2}},
       0},
      {"overlap merges into the earlier place",
       {{0, 0, 3, 3}, {9, 9, 1, 1}, {1, 1, 3, 3}},
       {{0, 0, 4, 4}, {9, 9, 1, 1}},
       0},
      {"covering three takes the first one's place",
       {{1, 1, 1, 1}, {9, 9, 1, 1}, {2, 2, 1, 1}, {3, 1, 1, 1}, {0, 0, 5, 5}},
       {{0, 0, 5, 5}, {9, 9, 1, 1}},
       2},
      {"spanning the height over the right half cuts to the left half",
       {{2, 0, 2, 4}, {0, 1, 4, 2}},
       {{2, 0, 2, 4}, {0, 1, 2, 2}},
       0},
      {"spanning the width over the top cuts the top off",
       {{0, 0, 6, 2}, {1, 1, 2, 4}},
       {{0, 0, 6, 2}, {1, 2, 2, 3}},
       0},
      {"a merge that would grow the area is not made",
       {{0, 0, 2, 2}, {1, 1, 4, 4}},
       {{0, 0, 2, 2}, {1, 1, 4, 4}},
       0},
      {"trimmed, then contained, is dropped",
       {{0, 0, 2, 4}, {2, 0, 2, 4}, {1, 1, 2, 2}},
       {{0, 0, 2, 4}, {2, 0, 2, 4}},
       0},
  };
  for (const Case& c : cases) {
    LocalQueueLock lock;
    EventQueue queue({12, 12}, lock);
    for (const Rect& r : c.added) queue.addTileRect(r.x, r.y, r.x + r.w, r.y + r.h);
    int retired = 0;
    EXPECT_EQ(liveRects(queue, &retired), c.expected) << c.name;
    EXPECT_EQ(retired, c.retired) << c.name;
  }
}

TEST(Coalesce, CoverageCacheSkipsTheLockUntilTakeOrClear) {
  CountingLock lock;
  EventQueue queue({8, 8}, lock);
  queue.addTileRect(0, 0, 4, 4);
  queue.addTileRect(1, 1, 2, 2);  // scanned: found inside, cached
  EXPECT_EQ(lock.inserts, 2);
  queue.addTileRect(1, 1, 2, 2);
  queue.addTileRect(0, 0, 4, 4);
  EXPECT_EQ(lock.inserts, 2) << "contained rectangles are dropped without the lock";

  // An emptied queue must not keep dropping what its stale cache covered.
  queue.clear();
  queue.addTileRect(1, 1, 2, 2);
  EXPECT_EQ(liveRects(queue), (std::vector<Rect>{{1, 1, 1, 1}}));
  UpdateEvent taken;
  ASSERT_TRUE(queue.take(taken));
  queue.addTileRect(0, 0, 4, 4);
  queue.addTileRect(1, 1, 2, 2);
  ASSERT_TRUE(queue.take(taken));
  queue.addTileRect(1, 1, 2, 2);
  EXPECT_EQ(liveRects(queue), (std::vector<Rect>{{1, 1, 1, 1}}));
}

TEST(EventQueueTest, HoldsAtMost999AndTakesInOrder) {
  LocalQueueLock lock;
  EventQueue queue({40, 40}, lock);
  for (int i = 0; i < 1200; ++i) queue.queueEvent({kCursorMovedEvent, i, 0, 0, 0});
  EXPECT_EQ(queue.size(), 999);
  queue.addTileRect(39, 39, 40, 40);
  EXPECT_EQ(queue.size(), 999) << "a rectangle for a full queue is dropped";
  EXPECT_FALSE(queue.covered(39, 39));
  UpdateEvent e;
  for (int i = 0; i < 999; ++i) {
    ASSERT_TRUE(queue.take(e));
    ASSERT_EQ(e.x, i);
  }
  EXPECT_FALSE(queue.take(e));
  queue.addTileRect(3, 4, 6, 5);
  EXPECT_TRUE(queue.covered(5, 4));
  EXPECT_FALSE(queue.covered(6, 4));
  EXPECT_FALSE(queue.covered(3, 5));
}

TEST(ReportMessages, RoundTripAsTheReceiverReadsThem) {
  ReportParams p = encodeRectangleMessage(100, 200, 300, 400);
  EXPECT_EQ(p.wParam, (200u << 16) | 100u);
  PixelRect r = decodeRectangleMessage(p.wParam, p.lParam);
  EXPECT_EQ((std::vector<int>{r.left, r.top, r.right, r.bottom}),
            (std::vector<int>{100, 200, 300, 400}));
  // A window partly off the screen's left and top edges still reports its visible part.
  p = encodeRectangleMessage(-100, -64, 70, 40);
  r = decodeRectangleMessage(p.wParam, p.lParam);
  EXPECT_EQ((std::vector<int>{r.left, r.top, r.right, r.bottom}),
            (std::vector<int>{-100, -64, 70, 40}));
  LocalQueueLock lock;
  EventQueue queue({10, 10}, lock);
  queue.addPixelRect(r.left, r.top, r.right, r.bottom);
  EXPECT_EQ(liveRects(queue), (std::vector<Rect>{{0, 0, 2, 1}}));

  CursorPoint c = decodeCursorMessage(encodeCursorMessage(1234, 567));
  EXPECT_EQ(c.x, 1234);
  EXPECT_EQ(c.y, 567);
  c = decodeCursorMessage(encodeCursorMessage(-20, 30));
  EXPECT_EQ(c.x, -20) << "x is the high half read as signed";
  c = decodeCursorMessage(encodeCursorMessage(300, -2));
  EXPECT_EQ(c.x, 300) << "a negative y leaves x alone";
}

}  // namespace
}  // namespace brevan::screensource::test
