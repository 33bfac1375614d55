#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "packet_builder.h"
#include "viewer/packet_viewer.h"
#include "viewer_snapshot.h"

namespace brevan::screensource::test {
namespace {

// A picture of the area, top row first, with content that differs in every pixel.
std::vector<uint32_t> picture(int width, int height, uint32_t seed) {
  std::vector<uint32_t> pixels(size_t(width) * height);
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = uint32_t(i * 2654435761u + seed) & 0xFFFFFF;
  return pixels;
}

// Tile (tx, ty) of a picture as the source grabs it: bottom row first, zero outside the area.
std::vector<uint32_t> tileOf(const std::vector<uint32_t>& pic, int width, int height, int tx,
                             int ty) {
  std::vector<uint32_t> tile(kTileWords, 0);
  for (int row = 0; row < kTileSide; ++row)
    for (int col = 0; col < kTileSide; ++col) {
      const int x = tx * kTileSide + col, y = ty * kTileSide + kTileSide - 1 - row;
      if (x < width && y < height) tile[row * kTileSide + col] = pic[size_t(y) * width + x];
    }
  return tile;
}

bool accepts(PacketViewer& viewer, const Bytes& packet) {
  std::string error;
  return viewer.apply(packet.data(), packet.size(), error);
}

std::vector<uint32_t> solid(int count, uint32_t colour) {
  return std::vector<uint32_t>(count, colour);
}

TEST(PacketViewer, TilesAndCursorRecordsRebuildTheAreaAndMirrorTheSourceCache) {
  const int w = 100, h = 70;  // 2 x 2 tiles, the right and lower ones partial
  const std::vector<uint32_t> first = picture(w, h, 1);
  PacketViewer viewer;
  PacketBuilder whole;
  whole.area(w, h).block(0, 0, 2, 2);
  for (int t = 0; t < 4; ++t) whole.whole(tileOf(first, w, h, t % 2, t / 2));
  ASSERT_TRUE(accepts(viewer, whole.end()));
  EXPECT_EQ(viewer.frame(), first);

  // A 3 x 2 patch inside tile (1, 1), at its rows 60 .. 61 from the bottom (picture rows 67 and
  // 66), columns 5 .. 7; tile (0, 0) takes tile (1, 0)'s cached image.
  std::vector<uint32_t> second = first;
  const std::vector<uint32_t> patchPixels = {1, 2, 3, 4, 5, 6};  // memory order: bottom row first
  for (int i = 0; i < 6; ++i) second[size_t(67 - i / 3) * w + 69 + i % 3] = patchPixels[i];
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      second[size_t(y) * w + x] = x + 64 < w ? first[size_t(y) * w + x + 64] : 0;
  const int slotOfTile1 = viewer.cacheIndex().reference(1, 0);
  const TileBorders borders{5, 56, 60, 2};  // left, right, bottom, top
  PacketBuilder patch;
  patch.block(0, 0, 2, 2).slot(slotOfTile1).unchanged().unchanged().inner(borders, patchPixels);
  patch.shape(2, 1, {0xFF00FF, 0x000001}, 10, 20).shape(1, 1, {7}, 11, 21).cachedShape(9, 30, 40);
  patch.cursor(50, 60, true);
  ASSERT_TRUE(accepts(viewer, patch.end()));
  EXPECT_EQ(viewer.frame(), second);

  TileCacheIndex source(4);  // the source's bookkeeping for the same records
  for (int t = 0; t < 4; ++t) source.insert(t, 1);
  source.promote(slotOfTile1);
  source.insert(3, 1);
  EXPECT_TRUE(viewer.cacheIndex().sameLayoutAs(source));
  const uint32_t* cached = viewer.slotPixels(source.reference(3, 1));
  EXPECT_EQ(std::vector<uint32_t>(cached, cached + kTileWords), tileOf(second, w, h, 1, 1));

  // The first shape came back from entry 9 and moved to 8; the second went to 9.
  EXPECT_EQ(viewer.cursor().shape.get(), &viewer.cursorShape(8));
  EXPECT_EQ(viewer.cursorShape(8).pixels, (std::vector<uint32_t>{0xFF00FF, 0x000001}));
  EXPECT_EQ(viewer.cursorShape(8).hotspotY, 2);
  EXPECT_EQ(viewer.cursorShape(9).pixels, std::vector<uint32_t>{7});
  EXPECT_EQ(viewer.cursor().position, (CursorPosition{50, 60}));
  EXPECT_TRUE(viewer.cursor().localActivity);

  // A new area starts from zero pixels and an empty cache; the shape on show stays.
  ASSERT_TRUE(accepts(viewer, PacketBuilder().area(w, h).cursor(1, 2).end()));
  EXPECT_EQ(viewer.frame(), solid(w * h, 0));
  EXPECT_TRUE(viewer.cacheIndex().sameLayoutAs(TileCacheIndex(4)));
  EXPECT_EQ(viewer.cursor().shape->hotspotY, 2);
  EXPECT_EQ(viewer.cursorShape(8).width, 0);
  EXPECT_FALSE(viewer.cursor().localActivity);
}

struct Malformed {
  std::string label;
  Bytes packet;
};

std::vector<Malformed> malformedPackets() {
  const std::vector<uint32_t> tile = solid(kTileWords, 0x0A0B0C);
  Bytes badChecksum = PacketBuilder().block(0, 0, 1, 1).whole(tile).end();
  badChecksum[badChecksum.size() - 2] ^= 1;
  return {
      {"no end record", PacketBuilder().cursor(1, 1).withoutEnd()},
      {"bytes after the end", testsupport::concat({PacketBuilder().cursor(1, 1).end(), {0}})},
      {"unknown record code", PacketBuilder().byte(7).end()},
      {"unknown tile code", PacketBuilder().block(0, 0, 1, 1).byte(1).end()},
      {"area pad byte", PacketBuilder().byte(kAreaRecord).byte(1).word(64).word(64).end()},
      {"area too large", PacketBuilder().area(PacketViewer::kMaxAreaSide + 1, 64).end()},
      {"block right of the area", PacketBuilder().block(3, 0, 2, 1).unchanged().unchanged().end()},
      {"block below the area", PacketBuilder().block(0, 3, 1, 1).unchanged().end()},
      {"block of no tiles", PacketBuilder().block(0, 0, 0, 1).end()},
      {"slot out of range", PacketBuilder().block(0, 0, 1, 1).slot(768).end()},
      {"slot empty", PacketBuilder().block(0, 0, 1, 1).slot(700).end()},
      {"bad zlib checksum", badChecksum},
      {"bytes after the zlib stream", PacketBuilder()
                                          .block(0, 0, 1, 1)
                                          .byte(kWholeTile)
                                          .counted(testsupport::concat({compressPixels(tile), {0}}))
                                          .end()},
      {"not zlib", PacketBuilder().block(0, 0, 1, 1).byte(kWholeTile).counted({1, 2, 3}).end()},
      {"tile inflates short",
       PacketBuilder().block(0, 0, 1, 1).whole(solid(kTileWords - 1, 0)).end()},
      {"tile inflates long",
       PacketBuilder().block(0, 0, 1, 1).whole(solid(kTileWords + 1, 0)).end()},
      {"inner size wrong",
       PacketBuilder().block(0, 0, 1, 1).inner({1, 1, 1, 1}, solid(62 * 61, 0)).end()},
      {"borders cover the tile", PacketBuilder().block(0, 0, 1, 1).inner({40, 24, 0, 0}, {}).end()},
      {"cached shape empty", PacketBuilder().cachedShape(3, 0, 0).end()},
      {"cached shape out of range", PacketBuilder().cachedShape(16, 0, 0).end()},
      {"shape of no pixels", PacketBuilder().shape(0, 4, {}, 0, 0).end()},
      // The good records before the fault must be undone too, a new area included.
      {"good tile then a fault",
       PacketBuilder().block(0, 0, 1, 1).whole(tile).block(9, 9, 1, 1).unchanged().end()},
      {"new area then a fault",
       PacketBuilder().area(64, 64).cursor(5, 5).block(1, 0, 1, 1).unchanged().end()},
  };
}

TEST(PacketViewer, MalformedPacketsAreRefusedAndChangeNothing) {
  PacketViewer viewer;
  PacketBuilder setup;
  setup.area(200, 130)
      .block(0, 0, 2, 1)
      .whole(solid(kTileWords, 0x112233))
      .whole(solid(kTileWords, 0x445566));
  setup.shape(1, 1, {9}, 3, 4).cursor(5, 6, true);
  ASSERT_TRUE(accepts(viewer, setup.end()));
  const ViewerSnapshot before(viewer);

  std::vector<Malformed> cases = malformedPackets();
  const Bytes valid = PacketBuilder(setup)
                          .block(1, 1, 2, 1)
                          .slot(viewer.cacheIndex().reference(0, 0))
                          .inner({0, 0, 1, 0}, solid(64 * 63, 1))
                          .cachedShape(8, 1, 1)
                          .end();
  for (size_t cut = 0; cut < valid.size(); ++cut)
    cases.push_back({"cut at " + std::to_string(cut), Bytes(valid.begin(), valid.begin() + cut)});

  for (const Malformed& c : cases) {
    std::string error;
    EXPECT_FALSE(viewer.apply(c.packet.data(), c.packet.size(), error)) << c.label;
    EXPECT_FALSE(error.empty()) << c.label;
    EXPECT_TRUE(ViewerSnapshot(viewer) == before) << c.label;
  }
  EXPECT_TRUE(accepts(viewer, valid));  // the whole of it is good
}

}  // namespace
}  // namespace brevan::screensource::test
