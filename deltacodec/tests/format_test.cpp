// Applying, joining and inverting deltas, byte for byte, and their refusal of malformed deltas.
#include <gtest/gtest.h>

#include <algorithm>

#include "buffered_reader.h"
#include "delta_error.h"
#include "delta_operations.h"
#include "selection_order.h"
#include "test_data.h"

namespace {

using namespace brevan::delta::test;
using brevan::delta::DeltaError;

TEST(ApplyDelta, KnownDeltas) {
  const Bytes base = ascii("0123456789");
  struct Case {
    const char* label;
    const char* delta;
    const char* result;
  } cases[] = {
      {"a lone end code gives nothing", "0A", ""},
      {"an insert", "02 03000000 616263 0A", "abc"},
      {"a copy", "01 04000000 03000000 0A", "3456"},
      {"operations append in order", "01 02000000 08000000 02 01000000 2D 01 02000000 00000000 0A",
       "89-01"},
      {"nothing after the end code is read", "02 01000000 41 0A FF FF", "A"},
      {"empty copy at the very end of the base", "01 00000000 0A000000 0A", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(patch(base, hex(c.delta)), ascii(c.result)) << c.label;
}

std::vector<int64_t> badCodes;
void recordBadCode(int64_t positionAfter) { badCodes.push_back(positionAfter); }

TEST(ApplyDelta, BadCodeIsReportedWithThePositionAfterItAndSkipped) {
  // Seven inserted bytes fill positions 0 to 11; the 0x07 at position 12 is no operation.
  Bytes delta = hex("02 07000000 61626364656667 07 0A");
  ASSERT_EQ(delta[12], 0x07);
  brevan::delta::MemorySource base(Bytes{}), source(delta);
  brevan::delta::MemorySink sink;
  brevan::delta::BufferedReader baseReader(base), deltaReader(source);
  brevan::delta::BufferedWriter out(sink);
  badCodes.clear();
  brevan::delta::applyDelta(baseReader, deltaReader, out, recordBadCode);
  out.finish();
  EXPECT_EQ(badCodes, std::vector<int64_t>{13});
  EXPECT_EQ(sink.bytes, ascii("abcdefg"));

  testing::internal::CaptureStdout();
  brevan::delta::printBadCode(13);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR: bad code in delta at 13\n");
}

// Deltas that refer outside their files or do not end: the operations must refuse them rather
// than produce bytes from stale buffers.
TEST(MalformedDelta, EveryOperationRefusesIt) {
  const Bytes base = ascii("0123456789");
  struct Case {
    const char* label;
    const char* delta;
    bool refersToBase;  // then only a reader of the base can tell
  } cases[] = {
      {"empty delta", "", false},
      {"no end code", "02 01000000 41", false},
      {"only unknown codes", "07 08 09", false},
      {"insert longer than the delta", "02 10000000 4142 0A", false},
      {"insert length cut short", "02 0100", false},
      {"copy header cut short", "01 01000000 00", false},
      {"insert with a huge length", "02 FFFFFFFF 0A", false},
      {"copy past the end of the base", "01 05000000 06000000 0A", true},
      {"copy starting past the base", "01 01000000 0A000000 0A", true},
      {"copy with a huge length", "01 FFFFFFFF 00000000 0A", true},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(patch(base, hex(c.delta)), DeltaError) << c.label;
    EXPECT_THROW(invert(base, hex(c.delta)), DeltaError) << c.label;
    if (!c.refersToBase) {
      EXPECT_THROW(join(hex(c.delta), hex("0A")), DeltaError) << "as first: " << c.label;
      EXPECT_THROW(join(hex("0A"), hex(c.delta)), DeltaError) << "as second: " << c.label;
    }
  }
  // Joining cannot see X, but Y is known: the second delta may only copy what the first makes.
  EXPECT_THROW(join(hex("02 03000000 616263 0A"), hex("01 02000000 02000000 0A")), DeltaError);
  EXPECT_THROW(join(hex("0A"), hex("02 05000000 41 0A")), DeltaError);
}

TEST(JoinDeltas, KnownJoins) {
  struct Case {
    const char* label;
    const char* first;
    const char* second;
    const char* joined;
  } cases[] = {
      {"two end codes", "0A", "0A", "0A000000"},
      {"insert pieces of both deltas merge into one insert", "02 06000000 616263646566 0A",
       "01 02000000 01000000 02 01000000 5A 01 01000000 05000000 0A",
       "02 04000000 62635A66 0A000000"},
      {"a copy cut along copy, insert and copy",
       "01 0A000000 64000000 02 02000000 7879 01 05000000 00000000 0A", "01 0C000000 03000000 0A",
       "01 07000000 67000000 02 02000000 7879 01 03000000 00000000 0A000000"},
      {"unknown codes are passed over", "07 02 01000000 41 0A", "08 01 01000000 00000000 0A",
       "02 01000000 41 0A000000"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(toHex(join(hex(c.first), hex(c.second))), toHex(hex(c.joined))) << c.label;
}

TEST(InvertDelta, KnownInversions) {
  const Bytes x = ascii("ABCDEFGHIJKLMNOPQRST");
  // No copies: the whole base, inserted, then the end byte.
  EXPECT_EQ(invert(x, hex("02 02000000 7A7A 0A")), concat({hex("02 14000000"), x, hex("0A")}));
  // Copies are taken in order of their base offsets; gaps of the base are inserted, and the
  // trailing insert is written even when it is empty.
  Bytes delta =
      hex("01 05000000 0A000000 02 01000000 71 01 05000000 00000000 01 05000000 0F000000 0A");
  EXPECT_EQ(toHex(invert(x, delta)),
            toHex(concat({hex("01 05000000 06000000 02 05000000"), ascii("FGHIJ"),
                          hex("01 05000000 00000000 01 05000000 0B000000 02 00000000 0A")})));
  // Overlapping copies: the second one only contributes what lies past the first.
  EXPECT_EQ(toHex(invert(x, hex("01 08000000 00000000 01 08000000 04000000 0A"))),
            toHex(concat({hex("01 08000000 00000000 01 04000000 0C000000 02 08000000"),
                          ascii("MNOPQRST"), hex("0A")})));
}

TEST(SelectionSortOrder, MatchesAPlainSelectionSortOnKeysWithManyTies) {
  std::mt19937 rng(6);
  for (int round = 0; round < 200; ++round) {
    std::vector<int64_t> keys(rng() % 60);
    for (int64_t& k : keys) k = rng() % 8;
    std::vector<size_t> expected(keys.size());
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = i;
    std::vector<int64_t> sorted = keys;
    for (size_t i = 0; i + 1 < sorted.size(); ++i) {
      size_t smallest = std::min_element(sorted.begin() + i, sorted.end()) - sorted.begin();
      std::swap(sorted[i], sorted[smallest]);
      std::swap(expected[i], expected[smallest]);
    }
    ASSERT_EQ(brevan::delta::selectionSortOrder(keys), expected) << "round " << round;
  }
}

// The operations must agree with each other on deltas other than the builder's, including
// overlapping copies, empty operations and unknown codes.
TEST(DeltaLaws, HoldOnRandomDeltas) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE("seed 2024 round " + std::to_string(round));
    Bytes x = randomBytes(rng, rng() % 3000);
    auto randomDelta = [&](const Bytes& from) {
      Bytes d;
      auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) d.push_back(static_cast<uint8_t>(v >> (8 * i)));
      };
      for (int ops = rng() % 12; ops > 0; --ops) {
        if (rng() % 3 == 0 || from.empty()) {
          uint32_t n = rng() % 50;
          d.push_back(0x02);
          put32(n);
          for (uint8_t b : randomBytes(rng, n)) d.push_back(b);
        } else if (rng() % 10 == 0) {
          d.push_back(0x33);
        } else {
          uint32_t off = rng() % from.size();
          uint32_t n = rng() % (from.size() - off + 1);
          d.push_back(0x01);
          put32(n);
          put32(off);
        }
      }
      d.push_back(0x0A);
      return d;
    };
    Bytes d1 = randomDelta(x);
    Bytes y = patch(x, d1);
    Bytes d2 = randomDelta(y);
    Bytes z = patch(y, d2);
    EXPECT_EQ(patch(x, join(d1, d2)), z);
    EXPECT_EQ(patch(y, invert(x, d1)), x);
  }
}

}  // namespace
