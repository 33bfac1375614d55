// Whole packet cycles over a screen held in memory, each packet applied by the viewer: after
// every packet the viewer's cache must match the encoder's and its frame what was sent.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <algorithm>
#include <vector>

#include "pixel_coder.h"
#include "scripted_screen.h"
#include "synthetic_desktop.h"
#include "tile_borders.h"
#include "update_source.h"
#include "zlib_stream.h"
#include "viewer/packet_viewer.h"

namespace brevan::screensource::test {
namespace {

constexpr CursorHandle kArrow = 0x10003;
constexpr CursorHandle kBeam = 0x10005;
constexpr CursorHandle kHand = 0x10007;
constexpr CursorHandle kBroken = 0x10009;

CursorShape shapeOf(uint32_t colour, int hotspot) {
  CursorShape shape{32, 32, hotspot, hotspot, std::vector<uint32_t>(32 * 32, kKeyColour)};
  for (int i = 0; i < 32; ++i) shape.pixels[i * 32 + i] = colour;
  return shape;
}

class Session {
 public:
  // A replaying session lifts the cycle's limits, as the tools do; a live one keeps them.
  Session(int width, int height, bool replaying = true) {
    auto grabber = std::make_unique<FrameGrabber>(width, height);
    auto cursor = std::make_unique<ScriptedCursor>();
    screen = grabber.get();
    pointer = cursor.get();
    pointer->setArrow(kArrow);
    pointer->setHandle(kArrow);
    pointer->addShape(kArrow, shapeOf(0x000000, 0));
    pointer->addShape(kBeam, shapeOf(0x0000FF, 4));
    pointer->addShape(kHand, shapeOf(0x00FF00, 8));
    source = std::make_unique<UpdateSource>(std::move(grabber), std::move(cursor), lock);
    if (replaying) source->liftCycleLimits();
  }

  // One cycle; the packet (empty when none was delivered) after the viewer applied it.
  std::vector<uint8_t> cycle() {
    if (!source->runCycle(packet)) return {};
    std::string error;
    EXPECT_TRUE(viewer.apply(packet.data(), packet.size(), error)) << error;
    expectViewerMirrorsEncoder();
    return packet.bytes();
  }

  void expectViewerMirrorsEncoder() {
    const TileStore& store = source->tileStore();
    ASSERT_TRUE(viewer.cacheIndex().sameLayoutAs(store.index()));
    int bits = source->bitsPerColor();
    for (int slot = 0; slot < TileCacheIndex::kSlots; ++slot) {
      if (store.slotHash(slot) == TileCacheIndex::kNoHash) continue;
      for (int i = 0; i < kTileWords; ++i)
        ASSERT_EQ(viewer.slotPixels(slot)[i], quantisePixel(store.slotPixels(slot)[i], bits))
            << "slot " << slot;
    }
  }

  // The viewer shows the quantised screen, pixel for pixel.
  void expectViewerShowsScreen() {
    std::vector<uint32_t> expected(screen->frame());
    for (uint32_t& p : expected) p = quantisePixel(p, source->bitsPerColor());
    ASSERT_EQ(viewer.width(), screen->width());
    EXPECT_TRUE(viewer.frame() == expected);
  }

  void fill(int left, int top, int right, int bottom, uint32_t colour) {
    for (int y = std::max(top, 0); y < std::min(bottom, screen->height()); ++y)
      for (int x = std::max(left, 0); x < std::min(right, screen->width()); ++x)
        screen->frame()[y * screen->width() + x] = colour;
  }
  void report(int left, int top, int right, int bottom) {
    source->queue().addPixelRect(left, top, right, bottom);
  }

  LocalQueueLock lock;
  FrameGrabber* screen;
  ScriptedCursor* pointer;
  std::unique_ptr<UpdateSource> source;
  PacketViewer viewer;
  PacketBuffer packet;
};

void paintDesktop(Session& s, uint32_t seed) {
  s.screen->frame() = desktopFrame(s.screen->width(), s.screen->height(), seed).pixels;
}

TEST(PacketCycle, FirstPacketStartsWithTheAreaAndTheArrow) {
  Session s(200, 130);  // a partial last column and row
  s.pointer->setPosition(70, 80);
  s.pointer->setHandle(kBeam);
  std::vector<uint8_t> p = s.cycle();
  ASSERT_GE(p.size(), 12u);
  EXPECT_EQ(std::vector<uint8_t>(p.begin(), p.begin() + 6),
            (std::vector<uint8_t>{kAreaRecord, 0, 0, 200, 0, 130}));
  EXPECT_EQ(std::vector<uint8_t>(p.begin() + 6, p.begin() + 11),
            (std::vector<uint8_t>{kNewShapeRecord, 32, 32, 0, 0}))
      << "the arrow goes first";
  EXPECT_EQ(p.back(), kEndRecord);
  // The source's cursor-moved event brings the current shape into the same packet.
  EXPECT_EQ(s.viewer.cursor().shape->hotspotX, 4);
  EXPECT_EQ(s.viewer.cursor().position, (CursorPosition{70, 80}));
  EXPECT_TRUE(s.cycle().empty()) << "nothing changed, nothing to send";
}

TEST(PacketCycle, ViewerFollowsWindowsOpeningMovingAndRepainting) {
  Session s(300, 200);
  paintDesktop(s, 7);
  s.report(0, 0, 300, 200);
  s.cycle();
  s.expectViewerShowsScreen();

  s.fill(40, 30, 140, 110, 0x00C0C0C0);  // a window opens
  s.report(40, 30, 140, 110);
  s.cycle();
  s.expectViewerShowsScreen();

  paintDesktop(s, 7);  // it moves 16 pixels right and down
  s.fill(56, 46, 156, 126, 0x00C0C0C0);
  s.report(40, 30, 140, 110);
  s.report(56, 46, 156, 126);
  s.cycle();
  s.expectViewerShowsScreen();

  // A repaint nobody reported: the poller finds it within its scan period.
  s.fill(250, 150, 260, 170, 0x00123456);
  for (int i = 0; i < 64 && s.viewer.frame()[160 * 300 + 255] != quantisePixel(0x123456, 3); ++i)
    s.cycle();
  s.expectViewerShowsScreen();

  s.source->raisePendingRestartFlag();  // a full refresh starts both ends afresh
  std::vector<uint8_t> p = s.cycle();
  ASSERT_FALSE(p.empty());
  EXPECT_EQ(p[0], kAreaRecord);
  EXPECT_TRUE(s.viewer.cursor().shape) << "the shape on show outlives the refresh";
  s.report(0, 0, 300, 200);
  s.cycle();
  s.expectViewerShowsScreen();
}

// The records of a one-tile block of the packet: the block header is checked, the tile record
// returned.
std::vector<uint8_t> singleTileRecord(const std::vector<uint8_t>& p, int x, int y) {
  EXPECT_GE(p.size(), 7u);
  if (p.size() < 7) return {};
  EXPECT_EQ(std::vector<uint8_t>(p.begin(), p.begin() + 5),
            (std::vector<uint8_t>{kTileBlockRecord, uint8_t(x), uint8_t(y), 1, 1}));
  return std::vector<uint8_t>(p.begin() + 5, p.end() - 1);
}

TEST(PacketCycle, TileRecordsPickTheCheapestForm) {
  Session s(320, 320);
  paintDesktop(s, 11);
  s.report(0, 0, 320, 320);
  s.cycle();
  std::vector<uint32_t> original(s.screen->frame());

  // One changed tile in the middle of a reported 5 x 5 block: a 1 x 1 block.
  s.fill(128 + 10, 128 + 20, 128 + 20, 128 + 30, 0x00FFFFFF);
  s.report(0, 0, 320, 320);
  std::vector<uint8_t> inner = singleTileRecord(s.cycle(), 2, 2);
  ASSERT_GE(inner.size(), 4u);
  EXPECT_EQ(inner[0], kInnerTile);
  TileBorders b = unpackBorders(&inner[1]);
  // Rows count from the tile's bottom: screen rows 20..29 of the tile are rows 34..43.
  EXPECT_EQ((std::vector<int>{b.left, b.right, b.bottom, b.top}),
            (std::vector<int>{10, 44, 34, 20}));

  // Back to content sent before: a cache reference.
  s.screen->frame() = original;
  s.report(128, 128, 192, 192);
  std::vector<uint8_t> slot = singleTileRecord(s.cycle(), 2, 2);
  ASSERT_EQ(slot.size(), 3u);
  EXPECT_EQ(slot[0], kSlotTile);

  // The corner pixel: borders of 63 on two sides.
  s.fill(64 + 63, 0, 64 + 64, 1, 0x00FFFFFF);  // top right pixel of tile (1, 0)
  s.report(64, 0, 128, 64);
  std::vector<uint8_t> corner = singleTileRecord(s.cycle(), 1, 0);
  ASSERT_GE(corner.size(), 4u);
  b = unpackBorders(&corner[1]);
  EXPECT_EQ((std::vector<int>{b.left, b.right, b.bottom, b.top}), (std::vector<int>{63, 0, 63, 0}));
  s.expectViewerShowsScreen();
}

TEST(PacketCycle, CollidingHashIsStillSent) {
  Session s(64, 64);
  s.source->setBitsPerColor(8);  // so that the viewer can see a difference of one
  s.fill(0, 0, 64, 64, 0x00404040);
  s.report(0, 0, 64, 64);
  s.cycle();
  // +1 in one pixel and -7 in the next leave the hash as it was.
  s.screen->frame()[10] += 1;
  s.screen->frame()[11] -= 7;
  s.report(0, 0, 64, 64);
  ASSERT_FALSE(s.cycle().empty());
  s.expectViewerShowsScreen();
}

TEST(PacketCycle, CursorShapesComeFromTheCacheWhenTheyReturn) {
  Session s(128, 128);
  s.cycle();  // the arrow
  auto shapeRecord = [&](CursorHandle handle) {
    s.pointer->setHandle(handle);
    return s.cycle();
  };
  EXPECT_EQ(shapeRecord(kBeam).at(0), kNewShapeRecord);
  EXPECT_EQ(shapeRecord(kHand).at(0), kNewShapeRecord);
  // Entries now: 8 the hand, 9 the beam, 10 the arrow.
  std::vector<uint8_t> back = shapeRecord(kBeam);
  EXPECT_EQ(back, (std::vector<uint8_t>{kCachedShapeRecord, 9, 0, 0, 0, 0, kEndRecord}));
  EXPECT_EQ(s.viewer.cursorShape(8).hotspotX, 4) << "a hit moves one place forward";
  EXPECT_EQ(s.viewer.cursor().shape->hotspotX, 4);

  // An unreadable shape is neither sent nor cached; the next cache reference still names the
  // right shape on both ends.
  EXPECT_TRUE(shapeRecord(kBroken).empty());
  EXPECT_EQ(s.source->cursorCache().find(kBroken), -1);
  EXPECT_EQ(shapeRecord(kHand).at(0), kCachedShapeRecord);
  EXPECT_EQ(s.viewer.cursor().shape->hotspotX, 8);

  s.pointer->setLocalActivity(true);
  s.pointer->setPosition(20, 30);
  std::vector<uint8_t> moved = s.cycle();
  EXPECT_EQ(moved, (std::vector<uint8_t>{kCursorRecord, 0x40, 20, 0, 30, kEndRecord}));
  EXPECT_TRUE(s.viewer.cursor().localActivity);
}

// A resting pointer is read on one cycle in 25; a move the hooks report is sent in the next
// cycle and makes every cycle read again.
TEST(PacketCycle, ARestingPointerIsReadLessOften) {
  Session live(128, 128, false), replay(128, 128);
  auto readsOver = [](Session& s, int cycles) {
    int before = s.pointer->positionReads();
    for (int i = 0; i < cycles; ++i) EXPECT_TRUE(s.cycle().empty()) << "cycle " << i;
    return s.pointer->positionReads() - before;
  };
  live.cycle();
  replay.cycle();
  EXPECT_GE(readsOver(live, CursorRest::kRestingCycles), CursorRest::kRestingCycles - 1)
      << "the first second of a rest reads every cycle";
  const int fourPeriods = 4 * CursorRest::kReadEveryWhileResting;
  EXPECT_EQ(readsOver(live, fourPeriods), 4);
  EXPECT_EQ(readsOver(replay, CursorRest::kRestingCycles + fourPeriods),
            CursorRest::kRestingCycles + fourPeriods);

  const std::vector<uint8_t> moved{kCursorRecord, 0, 9, 0, 7, kEndRecord};
  live.pointer->setPosition(9, 7);
  live.source->queue().queueEvent({kCursorMovedEvent, 9, 7, 0, 0});
  EXPECT_EQ(live.cycle(), moved) << "a hook report is read at once";
  EXPECT_EQ(readsOver(live, 8), 8);

  // Without a report, a move after a rest shows within one period of the sparse reads.
  readsOver(live, CursorRest::kRestingCycles + 1);
  live.pointer->setPosition(10, 7);
  int waited = 0;
  while (live.cycle().empty() && ++waited < CursorRest::kReadEveryWhileResting) {
  }
  EXPECT_LT(waited, CursorRest::kReadEveryWhileResting);
  EXPECT_EQ(live.viewer.cursor().position, (CursorPosition{10, 7}));
}

TEST(PixelCoderTest, QuantisesToTheBitsPerColour) {
  EXPECT_EQ(quantiseComponent(239, 3), 224);
  EXPECT_EQ(quantiseComponent(240, 3), 255);
  EXPECT_EQ(quantiseComponent(15, 3), 0);
  EXPECT_EQ(quantiseComponent(16, 3), 32);
  for (int v = 0; v < 256; ++v) ASSERT_EQ(quantiseComponent(v, 8), v);
  EXPECT_EQ(quantisePixel(0xFF10EFF0, 3), 0x0020E0FFu) << "blue 240, green 239, red 16";
  // The coder's vector rounding against the definition, for every byte value and bit count,
  // on an odd width so that the tail loop runs too.
  std::vector<uint32_t> all(4 * 64);
  for (size_t i = 0; i < all.size(); ++i) all[i] = uint32_t(i * 0x010101 + (i % 3) * 0x1000000);
  PixelCoder coder;
  ExactInflater inflater;
  for (int bits = 1; bits <= 8; ++bits) {
    coder.setBits(bits);
    ASSERT_TRUE(coder.compress(all.data(), 37, 4, 64));
    PacketBuffer packet;
    coder.appendCompressed(packet);
    std::vector<uint8_t> bytes(37 * 4 * 4);
    ASSERT_TRUE(inflater.inflate(packet.data() + 2, packet.size() - 2, bytes.data(), bytes.size()));
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 37; ++c) {
        uint32_t got;
        std::memcpy(&got, &bytes[(r * 37 + c) * 4], 4);
        ASSERT_EQ(got, quantisePixel(all[r * 64 + c], bits)) << bits << " bits, pixel " << c;
      }
  }
  coder.setBits(3);
  coder.setBits(0);
  coder.setBits(9);
  EXPECT_EQ(coder.bits(), 3) << "values outside 1-8 leave the bits as they were";
}

TEST(TileBordersTest, CountKeptRowsAndColumnsFromEachEdge) {
  struct Case {
    const char* name;
    int x0, y0, x1, y1;  // changed pixels, in memory rows (row 0 the tile's bottom)
    TileBorders expected;
  };
  const Case cases[] = {
      {"a 10 x 10 square", 20, 30, 29, 39, {20, 34, 30, 24}},
      {"the last pixel in memory", 63, 63, 63, 63, {63, 0, 63, 0}},
      {"the first pixel in memory", 0, 0, 0, 0, {0, 63, 0, 63}},
      {"everything", 0, 0, 63, 63, {0, 0, 0, 0}},
      {"nothing", -1, -1, -1, -1, {63, 0, 63, 0}},
  };
  std::vector<uint32_t> last(kTileWords, 5);
  for (const Case& c : cases) {
    std::vector<uint32_t> now(last);
    for (int y = std::max(c.y0, 0); y <= c.y1; ++y)
      for (int x = std::max(c.x0, 0); x <= c.x1; ++x) now[y * 64 + x] = 6;
    TileBorders b = findUnchangedBorders(now.data(), 64, last.data());
    EXPECT_EQ(
        (std::vector<int>{b.left, b.right, b.bottom, b.top}),
        (std::vector<int>{c.expected.left, c.expected.right, c.expected.bottom, c.expected.top}))
        << c.name;
  }
  // Known answer: the corner case's counts (63, 0, 63, 0) pack as F0 F0 CC.
  PackedBorders corner = packBorders({63, 0, 63, 0});
  EXPECT_EQ(std::vector<uint8_t>(corner.bytes, corner.bytes + 3),
            (std::vector<uint8_t>{0xF0, 0xF0, 0xCC}));
  for (int v = 0; v < 64 * 64; v += 7) {
    TileBorders b{v % 64, (v / 64) % 64, (v * 3) % 64, (v * 5) % 64};
    PackedBorders packed = packBorders(b);
    TileBorders back = unpackBorders(packed.bytes);
    ASSERT_EQ((std::vector<int>{back.left, back.right, back.bottom, back.top}),
              (std::vector<int>{b.left, b.right, b.bottom, b.top}));
  }
}

}  // namespace
}  // namespace brevan::screensource::test
