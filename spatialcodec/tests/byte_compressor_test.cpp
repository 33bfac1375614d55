#include <gtest/gtest.h>

#include <random>
#include <string>

#include "arithmetic_coder.h"
#include "arithmetic_model.h"
#include "block_sort.h"
#include "byte_compressor.h"
#include "move_to_front.h"
#include "run_length.h"
#include "staged_decompress.h"
#include "test_support.h"

namespace brevan::spatial {
namespace {

using testing::Bytes;
using testing::bytesOf;
using testing::hex;

constexpr size_t kNoLimit = size_t(1) << 30;

template <typename Stage>
Bytes through(const Bytes& in, Stage stage) {
  Bytes out;
  ByteWriter w(out, kNoLimit);
  stage(in.data(), in.size(), w);
  w.finish();
  return out;
}

Bytes rle(const Bytes& in) { return through(in, runLengthEncode); }
Bytes unrle(const Bytes& in) { return through(in, runLengthDecode); }
Bytes bwt(const Bytes& in) { return through(in, blockSortEncode); }
Bytes unbwt(const Bytes& in) { return through(in, blockSortDecode); }
Bytes arith(const Bytes& in) { return through(in, arithmeticEncode); }

Bytes compress(const Bytes& in) {
  Bytes out;
  EXPECT_EQ(compressBytes(in.data(), in.size(), kNoLimit, out), CodecStatus::ok);
  return out;
}

CodecStatus decompress(const Bytes& in, Bytes& out, size_t limit = kNoLimit) {
  return decompressBytes(in.data(), in.size(), limit, out);
}

TEST(ByteCompressor, AbcThroughEachStage) {
  const Bytes stage1 = rle(bytesOf("abc"));
  EXPECT_EQ(stage1, hex("616263"));
  Bytes stage2 = bwt(stage1);
  EXPECT_EQ(stage2, hex("04000000 3F616263 01000000 00000000"));
  moveToFrontEncode(stage2.data(), stage2.size());
  EXPECT_EQ(stage2, hex("04010000 3F616263 06050000 00000000"));
  const Bytes stage4 = rle(stage2);
  EXPECT_EQ(stage4, hex("04010000 003F6162 63060500 0004"));
  EXPECT_EQ(arith(stage4), hex("3F007F24 34918409 3F2C3BF8 3FB702"));
  EXPECT_EQ(compress(bytesOf("abc")), hex("3F007F24 34918409 3F2C3BF8 3FB702"));

  Bytes back;
  ASSERT_EQ(decompress(hex("3F007F24 34918409 3F2C3BF8 3FB702"), back), CodecStatus::ok);
  EXPECT_EQ(back, bytesOf("abc"));
}

TEST(ByteCompressor, EmptyRangeIsTheEndSymbolAlone) {
  EXPECT_EQ(compress({}), hex("0002"));
  Bytes back{1, 2, 3};
  EXPECT_EQ(decompress(hex("0002"), back), CodecStatus::ok);
  EXPECT_TRUE(back.empty());
}

TEST(RunLength, GoldenForms) {
  Bytes run600{'x'};
  run600.insert(run600.end(), 600, 'c');
  EXPECT_EQ(rle(run600), hex("78 63 63 FF 63 FF 63 56"));
  EXPECT_EQ(rle(Bytes(8, 'a')), hex("616106"));
  // A leading 0 byte starts a run at once; a run stopped by a different byte copies it.
  EXPECT_EQ(rle(hex("00 05 05 05 07")), hex("00 00 05 05 01 07"));
  // A count of 255 makes the run byte the previous byte again.
  Bytes run257(257, 9);
  EXPECT_EQ(rle(run257), hex("09 09 FF"));
  Bytes run258(258, 9);
  EXPECT_EQ(rle(run258), hex("09 09 FF 09 00"));

  for (const Bytes& in : {run600, Bytes(8, 'a'), run257, run258, hex("00"), Bytes(70000, 0)})
    EXPECT_EQ(unrle(rle(in)), in);
}

TEST(RunLength, WorstCaseStaysWithinBound) {
  // Alternating pairs give three output bytes for every two input bytes.
  Bytes pairs;
  for (int i = 0; i < 5000; ++i) pairs.insert(pairs.end(), 2, uint8_t(i % 2 ? 1 : 2));
  pairs.insert(pairs.begin(), 0);
  const Bytes coded = rle(pairs);
  EXPECT_GT(coded.size(), pairs.size() * 3 / 2 - 2);
  EXPECT_LE(coded.size(), runLengthBound(pairs.size()));
}

TEST(RunLength, DecoderRejectsAMissingCountAndStopsAtItsLimit) {
  Bytes out;
  {
    ByteWriter w(out, kNoLimit);
    EXPECT_EQ(runLengthDecode(hex("0505").data(), 2, w), CodecStatus::badInput);
  }
  ByteWriter w(out, 100);
  EXPECT_EQ(runLengthDecode(hex("0505FF").data(), 3, w), CodecStatus::tooLarge);
}

// Both directions a byte at a time: the forms and statuses the coders'
// eight-bytes-at-a-time search for repeats must keep.
Bytes plainRle(const Bytes& in) {
  Bytes out;
  int prev = 0;
  for (size_t i = 0; i < in.size();) {
    const uint8_t c = in[i++];
    out.push_back(c);
    if (c != prev) {
      prev = c;
      continue;
    }
    size_t count = 0;
    while (count < 255 && i < in.size() && in[i] == c) ++count, ++i;
    out.push_back(uint8_t(count));
    if (count < 255 && i < in.size()) out.push_back(uint8_t(prev = in[i++]));
  }
  return out;
}

CodecStatus plainUnrle(const Bytes& in, size_t limit, Bytes& out) {
  out.clear();
  int prev = 0;
  for (size_t i = 0; i < in.size();) {
    const uint8_t c = in[i++];
    if (out.size() == limit) return CodecStatus::tooLarge;
    out.push_back(c);
    if (c == prev) {
      if (i == in.size()) return CodecStatus::badInput;
      if (limit - out.size() < in[i]) return CodecStatus::tooLarge;
      out.insert(out.end(), in[i++], c);
    }
    prev = c;
  }
  return CodecStatus::ok;
}

TEST(RunLength, MatchesThePlainCodersOnSeededInputs) {
  // Runs of every length up to past 255, at every offset from the 8-byte
  // steps, from few byte values far apart; and random streams (repeats cut short).
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    Bytes in;
    const size_t size = seed < 100 ? seed : rng() % 3000;
    const int values = 1 + int(seed % 5);
    const uint8_t palette[5] = {0, uint8_t(rng()), uint8_t(rng()), 0x80, uint8_t(rng())};
    while (in.size() < size) {
      const size_t run = rng() % 4 == 0 ? 1 + rng() % 300 : 1 + rng() % 3;
      in.insert(in.end(), std::min(run, size - in.size()), palette[rng() % values]);
    }
    const Bytes coded = rle(in);
    ASSERT_EQ(coded, plainRle(in)) << seed;
    for (const Bytes& stream : {coded, testing::randomBytes(size, seed, values)}) {
      for (size_t limit : {kNoLimit, in.size(), in.size() / 2, size_t(seed % 17)}) {
        Bytes fast, plain;
        const CodecStatus expected = plainUnrle(stream, limit, plain);
        ByteWriter w(fast, limit);
        ASSERT_EQ(runLengthDecode(stream.data(), stream.size(), w), expected)
            << seed << " " << limit;
        w.finish();
        if (expected == CodecStatus::ok) {
          ASSERT_EQ(fast, plain) << seed;
        }
      }
    }
  }
}

TEST(BlockSort, PerturbationOffsetsRestartInEachBlock) {
  for (size_t k : {1, 2, 5}) {
    Bytes block(477 * k, 0);
    perturbBlock(block.data(), block.size(), false);
    for (size_t i = 0; i < block.size(); ++i)
      EXPECT_EQ(block[i], i % 477 == 0 ? uint8_t(i / 477) : 0) << "offset " << i;
  }
  Bytes block(477 * 300 + 1, 0);  // k passes 255 and wraps
  perturbBlock(block.data(), block.size(), false);
  EXPECT_EQ(block[477 * 256], 0);
  EXPECT_EQ(block[477 * 300], uint8_t(300));
}

TEST(BlockSort, InputIsCutIntoBlocksOf50000) {
  const Bytes in = testing::randomBytes(120001, 7);
  const Bytes coded = bwt(in);
  ASSERT_EQ(coded.size(), in.size() + 3 * 13);
  const auto le32 = [&](size_t at) {
    return uint32_t(coded[at]) | coded[at + 1] << 8 | coded[at + 2] << 16 |
           uint32_t(coded[at + 3]) << 24;
  };
  EXPECT_EQ(le32(0), 50001u);
  EXPECT_EQ(le32(50013), 50001u);
  EXPECT_EQ(le32(100026), 20002u);
  EXPECT_EQ(unbwt(coded), in);
}

TEST(BlockSort, DecoderRejectsMalformedBlocks) {
  struct Case {
    const char* label;
    Bytes coded;
  };
  const Case cases[] = {
      {"length above 50,001", testing::concat(hex("52C30000"), Bytes(50002 + 8, 0))},
      {"zero length", hex("00000000 00000000 00000000")},
      {"cut inside the column", hex("04000000 3F6162")},
      {"cut inside the rows", hex("04000000 3F616263 01000000 0000")},
      {"first row outside", hex("04000000 3F616263 04000000 00000000")},
      {"end row outside", hex("04000000 3F616263 01000000 09000000")},
      {"stray bytes after a block", hex("04000000 3F616263 01000000 00000000 01")},
  };
  for (const Case& c : cases) {
    Bytes out;
    ByteWriter w(out, kNoLimit);
    EXPECT_EQ(blockSortDecode(c.coded.data(), c.coded.size(), w), CodecStatus::badInput) << c.label;
  }
}

TEST(BlockSort, LastBlockOfExactly477kBytesRoundTrips) {
  for (size_t n : {477, 954, 50000, 50001, 100000}) {
    const Bytes in = testing::randomBytes(n, uint32_t(n), 4);
    EXPECT_EQ(unbwt(bwt(in)), in) << n;
  }
}

TEST(ArithmeticCoder, FrequencyHalvingAfter16126Bytes) {
  // The 16,127th byte halves the model first; a stream across that point
  // must still decode, for skewed and for uniform bytes.
  for (int alphabet : {2, 256}) {
    for (size_t n : {16126, 16127, 16128, 40000}) {
      const Bytes in = testing::randomBytes(n, uint32_t(n + alphabet), alphabet);
      const Bytes coded = arith(in);
      Bytes out;
      ByteWriter w(out, kNoLimit);
      ASSERT_EQ(arithmeticDecode(coded.data(), coded.size(), w), CodecStatus::ok) << n;
      w.finish();
      EXPECT_EQ(out, in) << n << " bytes of " << alphabet << " values";
    }
  }
}

TEST(ArithmeticCoder, ModelHalvesWhenTheTotalReaches16383) {
  ArithmeticModel model;
  EXPECT_EQ(model.cumFreq[0], 257u);
  const int z = model.charToSymbol['z'];
  for (int i = 0; i < 16126; ++i) model.update(model.charToSymbol['z']);
  EXPECT_EQ(model.cumFreq[0], kMaxFrequency);
  EXPECT_EQ(model.charToSymbol['z'], 1) << "the frequent byte moved to the first symbol";
  EXPECT_EQ(model.symbolToChar[z], 0) << "and the byte at symbol 1 took its place";
  model.update(1);
  // (16127 + 1) / 2 for 'z', (1 + 1) / 2 for the 256 others, then this byte's one.
  EXPECT_EQ(model.freq[1], 8065u);
  EXPECT_EQ(model.cumFreq[0], 8064u + 256u + 1u);
  EXPECT_EQ(model.cumFreq[1], 256u);
}

TEST(ArithmeticCoder, TruncatedStreamsNeverDecodeToTheInput) {
  // Missing bytes read as 0 bits, which soon decode as the end symbol or,
  // past 14 missing bytes, fail. Only the pending bits of the last byte may
  // be lost unnoticed; the decoder always stays within its limit.
  const Bytes in = testing::readFile("/usr/bin/bash", 20000);
  ASSERT_FALSE(in.empty());
  const Bytes coded = arith(in);
  for (size_t cut : {1, 2, 5, 14, 15, 40, 500}) {
    const Bytes shorter(coded.begin(), coded.end() - cut);
    Bytes out;
    ByteWriter w(out, in.size() * 2);
    const CodecStatus s = arithmeticDecode(shorter.data(), shorter.size(), w);
    w.finish();
    if (cut >= 5) {
      EXPECT_TRUE(s != CodecStatus::ok || out != in) << cut;
    }
    EXPECT_LE(out.size(), in.size() * 2);
  }
  Bytes out;
  ByteWriter w(out, kNoLimit);
  EXPECT_EQ(arithmeticDecode(nullptr, 0, w), CodecStatus::ok) << "all zero bits: the end symbol";
  EXPECT_EQ(w.size(), 0u);
}

TEST(ByteCompressor, RoundTripsRealFilesOfThisMachine) {
  const char* files[] = {"/usr/bin/bash", "/usr/share/common-licenses/GPL-3",
                         "/usr/share/pixmaps/debian-logo.png",
                         "/usr/lib/x86_64-linux-gnu/libc.so.6", "/etc/services"};
  int seen = 0;
  for (const char* path : files) {
    const Bytes in = testing::readFile(path, 3 << 20);
    if (in.empty()) continue;
    ++seen;
    const Bytes coded = compress(in);
    Bytes back;
    ASSERT_EQ(decompress(coded, back), CodecStatus::ok) << path;
    EXPECT_EQ(back, in) << path;
  }
  EXPECT_GE(seen, 3);
}

TEST(ByteCompressor, RoundTripsRunsAndSeededData) {
  std::vector<Bytes> inputs = {Bytes(1, 0), Bytes(600, 'c'), Bytes(200000, 0), Bytes(8, 'a')};
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    inputs.push_back(testing::randomBytes(seed * 977, seed, 1 + seed % 5));
  }
  for (const Bytes& in : inputs) {
    Bytes back;
    ASSERT_EQ(decompress(compress(in), back), CodecStatus::ok) << in.size();
    EXPECT_EQ(back, in) << in.size();
  }
}

TEST(ByteCompressor, LimitsBoundEveryStage) {
  const Bytes in(100000, 0);
  const Bytes coded = compress(in);
  Bytes back;
  EXPECT_EQ(decompress(coded, back, in.size()), CodecStatus::ok);
  EXPECT_EQ(decompress(coded, back, in.size() - 1), CodecStatus::tooLarge);
  EXPECT_EQ(decompress(coded, back, 10), CodecStatus::tooLarge);

  const Bytes noise = testing::randomBytes(5000, 3);
  Bytes out;
  EXPECT_EQ(compressBytes(noise.data(), noise.size(), 100, out), CodecStatus::tooLarge);
}

TEST(ByteCompressor, CorruptStreamsNeverEscapeTheirLimit) {
  const Bytes in = testing::readFile("/usr/share/common-licenses/GPL-3", 30000);
  ASSERT_FALSE(in.empty());
  const Bytes coded = compress(in);
  std::mt19937 rng(99);
  int rejected = 0;
  for (int trial = 0; trial < 60; ++trial) {
    Bytes bad = coded;
    bad[rng() % bad.size()] ^= uint8_t(1 + rng() % 255);
    Bytes back;
    const CodecStatus s = decompress(bad, back, 40000);
    if (s != CodecStatus::ok) ++rejected;
    EXPECT_LE(back.size(), 40000u);
  }
  SCOPED_TRACE("seed 99");
  EXPECT_GT(rejected, 0);
}

// The arithmetic code of a block-sorted form.
Bytes codedFromSorted(Bytes sorted) {
  moveToFrontEncode(sorted.data(), sorted.size());
  return arith(rle(sorted));
}

// The one-pass decoder against the stages run one after another, on streams
// of several blocks under limits that stop each stage: streams damaged
// outright, and sound arithmetic codes of a block-sorted form cut short or
// damaged (in a block's framing too), where a later stage can fail before an
// earlier one.
TEST(ByteCompressor, OnePassDecoderMatchesTheStagesOnDamagedStreams) {
  Bytes runs;
  for (uint32_t k = 0; runs.size() < 150000; ++k) runs.insert(runs.end(), k * 37 % 700, uint8_t(k));
  const Bytes inputs[] = {testing::readFile("/usr/share/common-licenses/GPL-3", 130000),
                          testing::concat(runs, testing::randomBytes(70000, 5, 3)),
                          bytesOf("abc")};
  std::mt19937 rng(7);
  for (const Bytes& in : inputs) {
    const Bytes sorted = bwt(rle(in));
    const Bytes coded = codedFromSorted(sorted);
    std::vector<Bytes> streams = {coded};
    for (const size_t framing : {size_t(3), sorted.size() - 1}) {  // first length, last endRow
      streams.push_back(sorted);
      streams.back()[framing] = 0x7F;
      streams.back() = codedFromSorted(streams.back());
    }
    for (int k = 0; k < 16; ++k) {
      Bytes damaged = sorted;
      if (k % 2 == 0)
        damaged.resize(rng() % sorted.size());
      else
        damaged[rng() % sorted.size()] ^= uint8_t(1 + rng() % 255);
      streams.push_back(codedFromSorted(damaged));
      streams.push_back(coded);
      streams.back()[rng() % coded.size()] ^= uint8_t(1 + rng() % 255);
    }
    for (const Bytes& stream : streams) {
      for (const size_t limit : {kNoLimit, in.size(), in.size() - 1, in.size() / 3, size_t(100)}) {
        Bytes onePass, staged;
        const CodecStatus s = decompress(stream, onePass, limit);
        ASSERT_EQ(s, testing::stagedDecompress(stream.data(), stream.size(), limit, staged))
            << "input of " << in.size() << ", stream of " << stream.size() << ", limit " << limit;
        if (s == CodecStatus::ok) {
          ASSERT_EQ(onePass, staged);
        }
      }
    }
  }
}

}  // namespace
}  // namespace brevan::spatial
