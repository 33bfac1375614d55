#include <gtest/gtest.h>

#include "block_sort.h"
#include "test_support.h"

namespace brevan::spatial {
namespace {

using testing::Bytes;

constexpr size_t kNoLimit = size_t(1) << 30;

Bytes encoded(const Bytes& in) {
  Bytes out;
  ByteWriter w(out, kNoLimit);
  EXPECT_TRUE(blockSortEncode(in.data(), in.size(), w));
  w.finish();
  return out;
}

CodecStatus decoded(const Bytes& coded, Bytes& out, size_t limit = kNoLimit) {
  ByteWriter w(out, limit);
  const CodecStatus s = blockSortDecode(coded.data(), coded.size(), w);
  w.finish();
  return s;
}

// Blocks are decoded two at a time; every count of blocks and every length
// of the last one must come back whole.
TEST(BlockSortDecode, RoundTripsOddAndEvenBlockCounts) {
  for (size_t blocks = 1; blocks <= 5; ++blocks)
    for (size_t tail : {size_t(1), size_t(2), size_t(477), size_t(49999), size_t(50000)}) {
      const size_t n = (blocks - 1) * kMaxBlockBytes + tail;
      const Bytes in = testing::randomBytes(n, uint32_t(n), 1 + int(blocks) % 3 * 100);
      Bytes out;
      ASSERT_EQ(decoded(encoded(in), out), CodecStatus::ok);
      EXPECT_EQ(out, in) << blocks << " blocks, last " << tail;
    }
}

// A stream need not come from the encoder: a short block may precede a long
// one, and each block still decodes as it would alone.
TEST(BlockSortDecode, PairsOfUnequalBlocksDecodeAsTheyWouldAlone) {
  const Bytes shortBlock = encoded(testing::bytesOf("banana"));
  const Bytes longBlock = encoded(testing::randomBytes(30000, 3, 5));
  const Bytes tiny = encoded(Bytes{42});
  for (const auto& parts : std::vector<std::vector<Bytes>>{{shortBlock, longBlock},
                                                           {longBlock, shortBlock, tiny},
                                                           {tiny, tiny, longBlock, shortBlock}}) {
    Bytes stream, expected;
    for (const Bytes& p : parts) {
      stream = testing::concat(stream, p);
      Bytes alone;
      ASSERT_EQ(decoded(p, alone), CodecStatus::ok);
      expected = testing::concat(expected, alone);
    }
    Bytes out;
    ASSERT_EQ(decoded(stream, out), CodecStatus::ok);
    EXPECT_EQ(out, expected);
  }
}

TEST(BlockSortDecode, FaultsInTheSecondBlockOfAPairAreReported) {
  const Bytes first = encoded(testing::bytesOf("first block"));
  Bytes second = encoded(testing::bytesOf("second"));
  Bytes out;
  EXPECT_EQ(decoded(testing::concat(first, Bytes(second.begin(), second.end() - 1)), out),
            CodecStatus::badInput);
  second[second.size() - 8] = 0x40;  // first row far outside the block
  EXPECT_EQ(decoded(testing::concat(first, second), out), CodecStatus::badInput);
  EXPECT_EQ(decoded(testing::concat(first, encoded(testing::bytesOf("second"))), out, 14),
            CodecStatus::tooLarge);
}

}  // namespace
}  // namespace brevan::spatial
