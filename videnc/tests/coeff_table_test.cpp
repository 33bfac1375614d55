// The coefficient code table as a code: prefix-free with the escape,
// its Kraft sum, the triples it covers, and the lookups derived from it.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "coeff_table.h"

namespace brevan::videnc {
namespace {

std::vector<std::string> allCodes() {
  std::vector<std::string> codes;
  for (const CoeffCode& c : kCoeffCodes) codes.emplace_back(c.bits);
  codes.emplace_back(kEscapeBits);
  return codes;
}

TEST(CoeffTable, IsPrefixFreeIncludingTheEscape) {
  const std::vector<std::string> codes = allCodes();
  for (size_t i = 0; i < codes.size(); ++i) {
    for (size_t j = 0; j < codes.size(); ++j) {
      if (i == j) continue;
      EXPECT_NE(codes[j].compare(0, codes[i].size(), codes[i]), 0)
          << codes[i] << " is a prefix of " << codes[j];
    }
  }
}

TEST(CoeffTable, KraftSumLeavesOnlyTheAllZeroPrefixUnused) {
  // Every 9-bit prefix but 000000000 starts a code, so the sum is 1 - 2^-9.
  double sum = 0;
  for (const std::string& code : allCodes()) sum += 1.0 / static_cast<double>(1u << code.size());
  EXPECT_DOUBLE_EQ(sum, 1.0 - 1.0 / 512);
  EXPECT_EQ(std::string(kEscapeBits), "0000011");
}

TEST(CoeffTable, CoversTheListedLevelsPerLastAndRun) {
  std::map<std::pair<int, int>, std::vector<int>> levels;
  for (const CoeffCode& c : kCoeffCodes) levels[{c.last, c.run}].push_back(c.level);
  auto maxLevel = [&](int last, int run) {
    const std::vector<int>& l = levels[{last, run}];
    for (size_t i = 0; i < l.size(); ++i)
      EXPECT_EQ(l[i], static_cast<int>(i) + 1) << last << "," << run;
    return static_cast<int>(l.size());
  };
  const int last0[27] = {12, 6, 4, 3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1,
                         1,  1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  for (int run = 0; run < 27; ++run) EXPECT_EQ(maxLevel(0, run), last0[run]) << "run " << run;
  EXPECT_EQ(maxLevel(1, 0), 3);
  EXPECT_EQ(maxLevel(1, 1), 2);
  for (int run = 2; run <= 40; ++run) EXPECT_EQ(maxLevel(1, run), 1) << "run " << run;
  EXPECT_EQ(levels.size(), 27u + 41u);
  for (const CoeffCode& c : kCoeffCodes) EXPECT_LE(codeLength(c.bits), kMaxCodeBits);
}

TEST(CoeffTable, EncoderLookupHoldsEveryCodeAndNothingElse) {
  const CoeffLookup& lookup = coeffLookup();
  int present = 0;
  for (int i = 0; i < kLookupSize; ++i) {
    EXPECT_EQ(lookup.code[i] < 0, lookup.length[i] < 0) << i;
    present += lookup.length[i] > 0;
  }
  EXPECT_EQ(present, kCoeffCodeCount);
  for (const CoeffCode& c : kCoeffCodes) {
    const int index = lookupIndex(c.last, c.run, c.level);
    ASSERT_EQ(lookup.length[index], codeLength(c.bits));
    // First code bit in bit 0 of the stored code.
    for (int b = 0; b < lookup.length[index]; ++b)
      EXPECT_EQ((lookup.code[index] >> b) & 1, c.bits[b] - '0');
  }
  EXPECT_EQ(lookupIndex(1, 63, 31), kLookupSize - 1);
  EXPECT_EQ(lookup.length[lookupIndex(0, 0, 13)], -1);
  EXPECT_EQ(lookup.length[lookupIndex(1, 41, 1)], -1);
}

TEST(CoeffTable, DecoderLookupFindsEveryCodeBehindAnyTail) {
  const DecodeEntry* table = coeffDecodeTable();
  for (const CoeffCode& c : kCoeffCodes) {
    const uint32_t code = packetOrderBits(c.bits);
    const int length = codeLength(c.bits);
    for (uint32_t tail : {0u, 0xfffu, 0x555u}) {
      const DecodeEntry& e = table[(code | tail << length) & (kDecodeSize - 1)];
      EXPECT_EQ(e.length, length);
      EXPECT_EQ(e.last, c.last);
      EXPECT_EQ(e.run, c.run);
      EXPECT_EQ(e.level, c.level);
    }
  }
  EXPECT_EQ(table[packetOrderBits(kEscapeBits)].length, 7);
  EXPECT_EQ(table[packetOrderBits(kEscapeBits)].level, 0);
  int unused = 0;
  for (int i = 0; i < kDecodeSize; ++i) unused += table[i].length == 0;
  EXPECT_EQ(unused, kDecodeSize / 512);  // the 000000000 prefix
}

}  // namespace
}  // namespace brevan::videnc
