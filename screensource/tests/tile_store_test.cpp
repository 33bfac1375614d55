#include "tile_store.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "edge_orders.h"

namespace brevan::screensource::test {
namespace {

std::vector<uint32_t> filledTile(uint32_t value) {
  return std::vector<uint32_t>(kTileWords, value);
}

TEST(TileHash, CollidesEasilySoFindComparesPixels) {
  std::vector<uint32_t> a = filledTile(0x102030);
  std::vector<uint32_t> b = a;
  b[100] += 1;
  b[101] -= 7;  // +1 then -7 one word later cancels in the hash
  ASSERT_EQ(tileHash(a.data(), 64), tileHash(b.data(), 64));
  EXPECT_NE(tileHash(a.data(), 64), tileHash(filledTile(0x102031).data(), 64));
  std::vector<uint32_t> high = a;
  high[5] |= 0xFF000000u;
  EXPECT_EQ(tileHash(a.data(), 64), tileHash(high.data(), 64)) << "the unused byte is ignored";

  TileStore store(4);
  int slot = store.insert(0, tileHash(a.data(), 64), a.data(), 64);
  EXPECT_EQ(store.find(tileHash(a.data(), 64), a.data(), 64), slot);
  EXPECT_EQ(store.find(tileHash(b.data(), 64), b.data(), 64), -1);
  store.recordSent(1, tileHash(a.data(), 64), a.data(), 64);
  EXPECT_TRUE(store.unchangedSinceSent(1, tileHash(a.data(), 64), a.data(), 64));
  EXPECT_FALSE(store.unchangedSinceSent(1, tileHash(b.data(), 64), b.data(), 64));
}

TEST(TileHash, MatchesTheWordByWordDefinition) {
  std::mt19937 random(17);
  for (int stride : {64, 64 * 3, 64 * 30}) {
    std::vector<uint32_t> pixels(size_t(stride) * 64);
    for (uint32_t& p : pixels) p = random();
    uint32_t h = 7;
    for (int r = 0; r < 64; ++r)
      for (int c = 0; c < 64; ++c) h = ((pixels[r * stride + c] & 0x00FFFFFF) + 7 * h) & 0x0FFFFFFF;
    EXPECT_EQ(tileHash(pixels.data(), stride), h) << "stride " << stride;
  }
}

TEST(TileCacheIndexTest, PromotionHalvesThenSteps) {
  TileCacheIndex index(1);
  index.promote(0);
  EXPECT_EQ(index.positionOf(0), 0);
  EXPECT_EQ(index.promotionStep(), 1) << "the front slot is left alone";
  index.promote(500);
  EXPECT_EQ(index.positionOf(500), 499);
  EXPECT_EQ(index.slotAt(500), 499);
  EXPECT_EQ(index.promotionStep(), 98);
  index.promote(300);
  EXPECT_EQ(index.positionOf(300), 150);
  EXPECT_EQ(index.promotionStep(), 3) << "98 + 97 wraps past 192";
}

TEST(TileCacheIndexTest, InsertFillsFromTheBackAndEachTileKeepsEight) {
  TileCacheIndex index(2);
  // A fresh index takes the slot at position 767 and promotes it to 767 - 1 = 766.
  int first = index.insert(0, 1);
  EXPECT_EQ(first, 767);
  EXPECT_EQ(index.positionOf(767), 766);
  std::vector<int> slots{first};
  for (int i = 1; i < 8; ++i) slots.push_back(index.insert(0, 1 + i));
  EXPECT_EQ(std::set<int>(slots.begin(), slots.end()).size(), 8u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(index.reference(0, i), slots[i]);

  // The ninth replaces the tile's slot furthest back, moved to 767 and promoted once.
  int victimRef = 0;
  for (int i = 1; i < 8; ++i)
    if (index.positionOf(slots[i]) > index.positionOf(slots[victimRef])) victimRef = i;
  int step = index.promotionStep();
  int reused = index.insert(0, 99);
  EXPECT_EQ(reused, slots[victimRef]);
  EXPECT_EQ(index.positionOf(reused), 767 - step);
  EXPECT_EQ(index.slotHash(reused), 99);
  EXPECT_EQ(index.slotOwnerReference(reused), victimRef);

  // A slot taken over by another tile leaves its old owner's references.
  TileCacheIndex small(2);
  int s = small.insert(0, 5);  // at position 766
  while (small.promotionStep() != 1) small.promote(small.slotAt(2));
  small.promote(small.slotAt(767));  // with step 1 it trades places with s
  ASSERT_EQ(small.positionOf(s), 767);
  EXPECT_EQ(small.insert(1, 7), s);
  EXPECT_EQ(small.reference(0, 0), -1);
  EXPECT_EQ(small.slotOwner(s), 1);

  small.reset();
  EXPECT_EQ(small.slotHash(s), TileCacheIndex::kNoHash);
  EXPECT_EQ(small.positionOf(s), s);
  EXPECT_EQ(small.promotionStep(), 1);
}

TEST(EdgeOrdersTest, BitReversedRowsUpToTheLongestEdge) {
  EdgeOrders orders;
  auto row = [&](int m) {
    std::vector<int> out;
    for (int i = 0; i < m; ++i) out.push_back(orders.at(m, i));
    return out;
  };
  EXPECT_EQ(row(4), (std::vector<int>{0, 2, 1, 3}));
  EXPECT_EQ(row(5), (std::vector<int>{0, 4, 2, 1, 3}));
  auto reverse7 = [](int k) {
    int r = 0;
    for (int b = 0; b < 7; ++b)
      if (k & (1 << b)) r |= 64 >> b;
    return r;
  };
  for (int m = 1; m <= EdgeOrders::kLongestEdge; ++m) {
    std::vector<int> r = row(m);
    EXPECT_EQ(std::set<int>(r.begin(), r.end()).size(), size_t(m)) << "row " << m;
    EXPECT_EQ(*std::max_element(r.begin(), r.end()), m - 1);
    if (m <= 126) {
      std::vector<int> seven;
      for (int k = 0; k < 128; ++k)
        if (reverse7(k) < m) seven.push_back(reverse7(k));
      EXPECT_EQ(r, seven) << "row " << m << " differs from the 7-bit table";
    }
  }
}

}  // namespace
}  // namespace brevan::screensource::test
