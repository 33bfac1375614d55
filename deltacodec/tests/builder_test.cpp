// The builder: its known outputs, the laws that tie it to applying, joining and inverting, and the
// exact bytes it gives for fixed inputs (deltas are exchanged, so they must never change).
#include <gtest/gtest.h>

#include "test_data.h"

namespace {

using namespace brevan::delta::test;

struct ParsedOp {
  uint8_t code;
  uint32_t length;
  uint32_t offset;
};

// The operations of a delta the builder wrote (no unknown codes, single end byte).
std::vector<ParsedOp> operations(const Bytes& d) {
  std::vector<ParsedOp> ops;
  auto u32 = [&](size_t at) {
    return uint32_t(d[at]) | d[at + 1] << 8 | d[at + 2] << 16 | uint32_t(d[at + 3]) << 24;
  };
  size_t at = 0;
  while (at < d.size() && d[at] != 0x0A) {
    ParsedOp op{d[at], u32(at + 1), d[at] == 0x01 ? u32(at + 5) : 0};
    ops.push_back(op);
    at += op.code == 0x01 ? 9 : 5 + op.length;
  }
  EXPECT_EQ(at + 1, d.size()) << "the delta ends with its single end byte";
  return ops;
}

TEST(BuildDelta, KnownOutputs) {
  std::mt19937 rng(1);
  Bytes hundred = randomBytes(rng, 100);
  EXPECT_EQ(toHex(build(hundred, hundred)), "0164000000000000000A") << "identical files: one copy";

  Bytes short39(hundred.begin(), hundred.begin() + 39);
  EXPECT_EQ(build(short39, hundred), concat({hex("02 27000000"), short39, hex("0A")}))
      << "target under 40 bytes";
  EXPECT_EQ(toHex(build({}, hundred)), "0A") << "empty target";
  EXPECT_EQ(toHex(build({}, {})), "0A") << "both empty";
  EXPECT_EQ(build(hundred, {}), concat({hex("02 64000000"), hundred, hex("0A")})) << "empty base";

  Bytes other = randomBytes(rng, 5000), target = randomBytes(rng, 3000);
  EXPECT_EQ(build(target, other), concat({hex("02 B80B0000"), target, hex("0A")}))
      << "no common stretch";

  // A common stretch of 39 bytes is not enough for a copy; one of 40 is.
  for (size_t common : {39, 40}) {
    Bytes shared = randomBytes(rng, common);
    Bytes t = concat({randomBytes(rng, 70), shared, randomBytes(rng, 70)});
    Bytes b = concat({randomBytes(rng, 90), shared, randomBytes(rng, 30)});
    std::vector<ParsedOp> ops = operations(build(t, b));
    if (common == 39) {
      EXPECT_EQ(ops.size(), 1u);
    } else {
      ASSERT_EQ(ops.size(), 3u);
      EXPECT_EQ(ops[1].code, 0x01);
      EXPECT_EQ(ops[1].length, 40u);
      EXPECT_EQ(ops[1].offset, 90u);
    }
  }
}

void expectLaws(const Bytes& target, const Bytes& base, const std::string& label) {
  SCOPED_TRACE(label);
  Bytes d = build(target, base);
  ASSERT_EQ(patch(base, d), target);
  for (const ParsedOp& op : operations(d)) {
    if (op.code == 0x01) {
      ASSERT_GT(op.length, 0u);
    }
  }
  EXPECT_EQ(build(target, base), d) << "the same files give the same delta";
  Bytes back = build(base, target);
  EXPECT_EQ(patch(base, join(d, back)), base);
  EXPECT_EQ(patch(target, invert(base, d)), base);
}

TEST(BuildDelta, LawsOnEditedData) {
  for (uint32_t seed : {1u, 2u, 3u}) {
    std::mt19937 rng(seed);
    std::string label = "seed " + std::to_string(seed);
    Bytes text = randomText(rng, 200000);
    expectLaws(edited(text, rng, 2000), text, label + " text, sparse edits");
    Bytes binary = randomBytes(rng, 150000);
    expectLaws(edited(binary, rng, 300), binary, label + " binary, dense edits");
    expectLaws(binary, edited(binary, rng, 300), label + " binary, base edited");
  }
}

// Many small edits over a few MB: thousands of operations go through the 2,048-entry queue, and
// moved blocks send match extension far from the scanning windows in both directions.
TEST(BuildDelta, LawsOnLargeFilesWithManyEdits) {
  std::mt19937 rng(77);
  Bytes base = randomBytes(rng, 3 << 20);
  Bytes target = edited(base, rng, 100);
  Bytes d = build(target, base);
  EXPECT_GT(operations(d).size(), 7u * 2048);
  EXPECT_EQ(patch(base, d), target);
  EXPECT_EQ(patch(target, invert(base, d)), base);
}

TEST(BuildDelta, LawsOnRealFiles) {
  Bytes library = realFile(
      {"/usr/lib/x86_64-linux-gnu/libstdc++.so.6", "/usr/bin/cmake", "/bin/bash"}, 1 << 20);
  Bytes other = realFile({"/usr/lib/x86_64-linux-gnu/libc.so.6", "/usr/bin/ctest", "/bin/ls"});
  ASSERT_FALSE(library.empty());
  ASSERT_FALSE(other.empty());
  std::mt19937 rng(5);
  expectLaws(edited(library, rng, 20000), library, "a library and an edited copy");
  expectLaws(other, library, "two unrelated programs");
}

// Fixed inputs and the size and hash of the delta they must give on every platform and build.
TEST(BuildDelta, ExactOutputForFixedInputs) {
  struct Case {
    uint32_t seed;
    size_t size;
    size_t spacing;
    bool text;
    size_t deltaSize;
    uint64_t deltaHash;
  } cases[] = {
      {11, 100000, 500, false, 6738, 158544108479850685ull},
      {12, 300000, 3000, true, 2614, 1664181378910648715ull},
      {13, 2000000, 200, false, 227622, 11201987916774484239ull},
  };
  for (const Case& c : cases) {
    std::mt19937 rng(c.seed);
    Bytes base = c.text ? randomText(rng, c.size) : randomBytes(rng, c.size);
    Bytes target = edited(base, rng, c.spacing);
    Bytes d = build(target, base);
    EXPECT_EQ(d.size(), c.deltaSize) << "seed " << c.seed;
    EXPECT_EQ(fnv1a(d), c.deltaHash) << "seed " << c.seed;
  }
}

}  // namespace
