#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <numeric>

#include "suffix_sort.h"
#include "test_support.h"

namespace brevan::spatial {
namespace {

using testing::Bytes;

// The block order spelled out: bytes compare unsigned, and a suffix that is
// a prefix of the other sorts after it.
std::vector<int32_t> referenceOrder(const Bytes& block) {
  std::vector<int32_t> rows(block.size() + 1);
  std::iota(rows.begin(), rows.end(), 0);
  std::sort(rows.begin(), rows.end(), [&](int32_t a, int32_t b) {
    const auto ea = block.begin() + a;
    const auto eb = block.begin() + b;
    const auto [ma, mb] = std::mismatch(ea, block.end(), eb, block.end());
    if (ma == block.end()) return false;  // a is a prefix of b: a sorts after
    if (mb == block.end()) return true;
    return *ma < *mb;
  });
  return rows;
}

std::vector<int32_t> sorted(const Bytes& block) {
  std::vector<int32_t> rows;
  std::vector<uint16_t> scratch;
  sortBlockSuffixes(block.data(), int32_t(block.size()), rows, scratch);
  return rows;
}

Bytes periodic(size_t n, const Bytes& unit) {
  Bytes out(n);
  for (size_t i = 0; i < n; ++i) out[i] = unit[i % unit.size()];
  return out;
}

TEST(SuffixSort, MatchesTheReferenceOrderOnSmallBlocks) {
  std::vector<Bytes> blocks = {{},
                               {0},
                               {255},
                               testing::bytesOf("abc"),
                               testing::bytesOf("banana"),
                               Bytes(200, 0),
                               Bytes(200, 255),
                               periodic(300, {1, 2}),
                               periodic(301, {7, 7, 0}),
                               periodic(257, {255, 0, 255})};
  for (uint32_t seed = 1; seed <= 200; ++seed)
    blocks.push_back(testing::randomBytes(1 + seed * 3 % 400, seed, 1 + seed % 4));
  // Fibonacci words are the classic worst case of comparison sorts.
  Bytes a{'a'}, b{'a', 'b'};
  while (b.size() < 600) {
    Bytes next = b;
    next.insert(next.end(), a.begin(), a.end());
    a = b;
    b = next;
  }
  blocks.push_back(b);
  for (const Bytes& block : blocks) EXPECT_EQ(sorted(block), referenceOrder(block)) << block.size();
}

// Pieces of `unit` copied over and over with a byte changed here and there:
// long shared prefixes that end at different depths.
Bytes mutatedCopies(size_t n, const Bytes& unit, size_t every, uint32_t seed) {
  Bytes out = periodic(n, unit);
  const Bytes noise = testing::randomBytes(n / every + 1, seed);
  for (size_t i = every / 2, k = 0; i < n; i += every, ++k) out[i] = noise[k];
  return out;
}

Bytes wordsText(size_t n, uint32_t seed) {
  const char* words[] = {"the ", "block ", "sort ",   "of ", "text ",
                         "\n",   "int ",   "return ", "( ",  ") "};
  const Bytes picks = testing::randomBytes(n, seed, 10);
  std::string text;
  for (size_t i = 0; text.size() < n; ++i) text += words[picks[i]];
  return testing::bytesOf(text.substr(0, n));
}

TEST(SuffixSort, MatchesTheReferenceOrderOnSharedPrefixesAndExtremeBytes) {
  // Bytes 255 and 0 meet the zeros that pad the direct sort's words; long
  // shared prefixes take it through several rounds or back to the inducing
  // sort.
  std::vector<Bytes> blocks;
  for (uint32_t seed = 1; seed <= 60; ++seed) {
    Bytes block = testing::randomBytes(1 + seed * 7 % 300, seed, 3);
    for (uint8_t& b : block) b = b == 0 ? 255 : b == 1 ? 0 : 254;
    blocks.push_back(block);
  }
  for (size_t run = 1; run <= 12; ++run)  // the block's end against the same bytes then 255s
    for (const Bytes& u : {Bytes{0, 1, 0}, Bytes{254, 0}, Bytes{7, 200, 3, 9, 1}}) {
      blocks.push_back(testing::concat(testing::concat(u, Bytes(run, 255)), u));
      blocks.push_back(testing::concat(testing::concat(u, Bytes(run, 255)), testing::concat(u, u)));
    }
  const Bytes unit = testing::randomBytes(300, 9);
  blocks.push_back(periodic(1200, unit));
  blocks.push_back(testing::concat(periodic(1200, unit), testing::randomBytes(50, 10)));
  blocks.push_back(periodic(1207, testing::bytesOf("abcdefghijklmnopqrstuvwxyz0123456789")));
  blocks.push_back(mutatedCopies(3000, testing::randomBytes(70, 11), 140, 12));
  blocks.push_back(mutatedCopies(3000, Bytes(1, 255), 65, 13));
  blocks.push_back(wordsText(20000, 14));
  blocks.push_back(testing::concat(wordsText(5000, 15), wordsText(5000, 15)));
  for (const Bytes& block : blocks) EXPECT_EQ(sorted(block), referenceOrder(block)) << block.size();
}

TEST(SuffixSort, RepetitiveFullBlocksSortInLinearTime) {
  // A comparison sort takes quadratic time here; all of these together must
  // stay far below a second even under sanitizers.
  const std::vector<Bytes> blocks = {Bytes(50000, 'x'),
                                     periodic(50000, {1, 2}),
                                     periodic(50000, {9, 9, 9, 9, 8}),
                                     periodic(50000, testing::randomBytes(1000, 5)),
                                     mutatedCopies(50000, testing::randomBytes(70, 6), 300, 7),
                                     mutatedCopies(50000, testing::randomBytes(9, 8), 66, 9)};
  const auto began = std::chrono::steady_clock::now();
  for (const Bytes& block : blocks) {
    const std::vector<int32_t> rows = sorted(block);
    ASSERT_EQ(rows.size(), block.size() + 1);
    EXPECT_EQ(rows.back(), int32_t(block.size())) << "the empty suffix sorts last";
    // Spot-check neighbours with the plain comparison.
    for (size_t r = 0; r + 1 < rows.size(); r += 997) {
      const Bytes x(block.begin() + rows[r], block.end());
      const Bytes y(block.begin() + rows[r + 1], block.end());
      const auto [mx, my] = std::mismatch(x.begin(), x.end(), y.begin(), y.end());
      ASSERT_TRUE(my == y.end() || (mx != x.end() && *mx < *my)) << "rows " << r;
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  EXPECT_LT(seconds, 5.0);
}

}  // namespace
}  // namespace brevan::spatial
