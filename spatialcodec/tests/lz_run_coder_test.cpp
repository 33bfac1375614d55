#include <gtest/gtest.h>

#include <random>

#include "lz_run_coder.h"
#include "test_support.h"

namespace brevan::spatial {
namespace {

using testing::Bytes;
using testing::hex;

Bytes compress(const Bytes& in) {
  Bytes out(lzCompressBound(in.size()));
  out.resize(lzCompress(in.data(), in.size(), out.data()));
  return out;
}

CodecStatus decompress(const Bytes& coded, Bytes& out, size_t capacity) {
  out.assign(capacity, 0xEE);
  size_t written = 0;
  const CodecStatus s = lzDecompress(coded.data(), coded.size(), out.data(), capacity, written);
  out.resize(written);
  return s;
}

Bytes roundTrip(const Bytes& in) {
  Bytes out;
  EXPECT_EQ(decompress(compress(in), out, in.size()), CodecStatus::ok);
  return out;
}

// The coder item by item, with every candidate looked up: the form the
// encoder's shortcuts past position 36,351 must keep.
Bytes plainCompress(const Bytes& in) {
  const size_t n = in.size();
  std::vector<int16_t> slots(4096 * 3, -1);
  Bytes out(2, 0);
  size_t control = 0;
  uint32_t bits = 0;
  int items = 0;
  const auto mark = [&](uint32_t bit) {
    if (items == 16) {
      out[control] = uint8_t(bits >> 8), out[control + 1] = uint8_t(bits);
      control = out.size(), out.resize(out.size() + 2), bits = 0, items = 0;
    }
    bits = bits << 1 | bit, ++items;
  };
  const auto at = [&](size_t i) -> uint32_t { return i < n ? in[i] : 0; };
  for (size_t p = 0; p < n;) {
    size_t run = 1;
    while (p + run < n && run < 4111 && in[p + run] == in[p]) ++run;
    if (run >= 16) {
      mark(1);
      if (run < 32)
        out.push_back(uint8_t(0xF0 + run - 16));
      else
        out.insert(out.end(), {uint8_t(0xE0 + ((run - 16) >> 8)), uint8_t(run - 16)});
      out.push_back(in[p]);
      p += run;
      continue;
    }
    const uint32_t h = ((((at(p) << 4 ^ at(p + 1)) << 4 ^ at(p + 2)) * 40543) >> 4) & 0xFFF;
    int16_t* slot = &slots[h * 3];
    int best = -1;
    size_t bestLength = 2;
    const int16_t q[3] = {slot[0], slot[1], slot[2]};
    for (int k = 0; k < 3; ++k) {
      if (q[k] == -1 || int64_t(p) - q[k] > 0xDFF) continue;
      size_t length = 0;
      while (length < 18 && p + length < n && in[q[k] + length] == in[p + length]) ++length;
      if (length > bestLength) bestLength = length, best = k;
    }
    slot[0] = int16_t(uint16_t(p));
    if (best == 2)
      slot[1] = q[2], slot[2] = q[0];
    else if (best == 1)
      slot[2] = q[0];
    else
      slot[1] = q[0], slot[2] = q[1];
    mark(best >= 0);
    if (best < 0) {
      out.push_back(in[p++]);
      continue;
    }
    const uint32_t distance = uint32_t(int64_t(p) - q[best]);
    out.insert(out.end(),
               {uint8_t(distance >> 4), uint8_t((distance & 0xF) << 4 | (bestLength - 3))});
    p += bestLength;
  }
  bits <<= 16 - items;
  out[control] = uint8_t(bits >> 8), out[control + 1] = uint8_t(bits);
  return out;
}

// The decoder one byte at a time, checking everything before each byte: the
// statuses and output the decoder's group and wide-copy shortcuts must keep.
CodecStatus plainDecompress(const Bytes& in, Bytes& out, size_t capacity) {
  out.clear();
  const size_t n = in.size();
  size_t at = 0;
  uint32_t control = 0;
  for (int items = 16; at < n; ++items) {
    if (items == 16) {
      if (n - at < 2) return CodecStatus::badInput;
      control = uint32_t(in[at]) << 8 | in[at + 1], at += 2, items = 0;
      if (at == n) break;
    }
    const bool code = control & 0x8000;
    control <<= 1;
    if (!code) {
      if (out.size() == capacity) return CodecStatus::tooLarge;
      out.push_back(in[at++]);
      continue;
    }
    if (n - at < 2) return CodecStatus::badInput;
    const uint32_t first = in[at], second = in[at + 1];
    at += 2;
    size_t length = (second & 0xF) + 3;
    size_t distance = first << 4 | second >> 4;
    int value = -1;
    if (first >> 4 == 0xF) {
      length = (first & 0xF) + 16, value = int(second);
    } else if (first >> 4 == 0xE) {
      if (at == n) return CodecStatus::badInput;
      length = ((first & 0xF) << 8) + second + 16, value = in[at++];
    } else if (distance == 0 || distance > out.size()) {
      return CodecStatus::badInput;
    }
    for (size_t i = 0; i < length; ++i) {
      if (out.size() == capacity) return CodecStatus::tooLarge;
      out.push_back(value >= 0 ? uint8_t(value) : out[out.size() - distance]);
    }
  }
  return CodecStatus::ok;
}

TEST(LzRunCoder, GoldenForms) {
  struct Case {
    const char* label;
    Bytes in;
    Bytes coded;
  };
  Bytes run4200(4200, 0x5A);
  const Case cases[] = {
      {"empty input", {}, hex("0000")},
      {"20 equal bytes", Bytes(20, 0x33), hex("8000 F4 33")},
      {"16 equal bytes", Bytes(16, 0x33), hex("8000 F0 33")},
      {"32 equal bytes", Bytes(32, 0x33), hex("8000 E010 33")},
      {"4,200 equal bytes", run4200, hex("C000 EFFF 5A E049 5A")},
      // Below a run code: a literal, then a reference one byte back.
      {"15 equal bytes", Bytes(15, 0x33), hex("4000 33 001B")},
      {"three literals", testing::bytesOf("abc"), hex("0000 616263")},
      {"a repeat six back", testing::bytesOf("abcdefabcdef"), hex("0200 616263646566 0063")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(compress(c.in), c.coded) << c.label;
    Bytes out;
    EXPECT_EQ(decompress(c.coded, out, c.in.size()), CodecStatus::ok) << c.label;
    EXPECT_EQ(out, c.in) << c.label;
  }
}

TEST(LzRunCoder, FullLastGroupEndsWithoutAnotherControlWord) {
  const Bytes in = testing::bytesOf("0123456789ABCDEF");  // 16 literals
  const Bytes coded = compress(in);
  EXPECT_EQ(coded.size(), 18u);
  EXPECT_EQ(coded[0], 0);
  EXPECT_EQ(coded[1], 0);
  const Bytes seventeen = testing::bytesOf("0123456789ABCDEFG");
  EXPECT_EQ(compress(seventeen), testing::concat(coded, hex("0000 47")));
  EXPECT_EQ(roundTrip(in), in);
  EXPECT_EQ(roundTrip(seventeen), seventeen);
}

TEST(LzRunCoder, OnlyTheFirst32768PositionsAreReferredTo) {
  // A repeated 1,000-byte phrase is matched when its first copy lies below
  // position 32,768 and sent as literals when it lies above.
  const Bytes base = testing::randomBytes(40000, 11);
  const Bytes phrase = testing::randomBytes(1000, 12);
  const auto withPhraseAt = [&](size_t first) {
    Bytes in = base;
    std::copy(phrase.begin(), phrase.end(), in.begin() + first);
    std::copy(phrase.begin(), phrase.end(), in.begin() + first + 1000);
    return in;
  };
  const Bytes low = withPhraseAt(1000);
  const Bytes high = withPhraseAt(33000);
  EXPECT_LT(compress(low).size() + 800, compress(high).size());
  EXPECT_EQ(roundTrip(low), low);
  EXPECT_EQ(roundTrip(high), high);
}

TEST(LzRunCoder, RoundTripsRealAndSeededData) {
  std::vector<Bytes> inputs = {testing::readFile("/usr/bin/bash", 200000),
                               testing::readFile("/usr/share/common-licenses/GPL-3", 200000)};
  for (uint32_t seed = 1; seed <= 30; ++seed)
    inputs.push_back(testing::randomBytes(seed * 1531, seed, 1 + seed % 3));
  for (size_t n = 1; n < 40; ++n) inputs.push_back(Bytes(n, uint8_t(n)));
  for (const Bytes& in : inputs) EXPECT_EQ(roundTrip(in), in) << in.size();
}

TEST(LzRunCoder, MatchesThePlainCoderOnSeededInputs) {
  // Runs of 13..19 bytes scattered at random, so some fall across group edges.
  for (uint32_t seed = 1; seed <= 24; ++seed) {
    std::mt19937 rng(seed);
    Bytes in = testing::randomBytes(30000 + seed * 1777, seed, seed % 4 == 0 ? 3 : 256);
    for (int r = 0; r < 600; ++r) {
      const size_t start = rng() % (in.size() - 20);
      std::fill_n(in.begin() + start, 13 + rng() % 7, uint8_t(rng()));
    }
    EXPECT_EQ(compress(in), plainCompress(in)) << seed;
  }
  const Bytes file = testing::readFile("/usr/bin/bash", 300000);
  EXPECT_EQ(compress(file), plainCompress(file));
}

TEST(LzRunCoder, DecoderRejectsMalformedStreams) {
  struct Case {
    const char* label;
    Bytes coded;
    CodecStatus expected;
  };
  const Case cases[] = {
      {"half a control word", hex("80"), CodecStatus::badInput},
      {"code cut after one byte", hex("8000 F4"), CodecStatus::badInput},
      {"long run cut before its byte", hex("8000 E010"), CodecStatus::badInput},
      {"reference before the start", hex("8000 0010"), CodecStatus::badInput},
      {"distance zero", hex("4000 41 0000"), CodecStatus::badInput},
      {"run past the capacity", hex("8000 EFFF 00"), CodecStatus::tooLarge},
      {"literals past the capacity", hex("0000 4142434445464748494A4B"), CodecStatus::tooLarge},
      {"trailing control bits are ignored", hex("FFFF"), CodecStatus::ok},
  };
  for (const Case& c : cases) {
    Bytes out;
    EXPECT_EQ(decompress(c.coded, out, 10), c.expected) << c.label;
    EXPECT_LE(out.size(), 10u);
  }
}

TEST(LzRunCoder, DecoderMatchesThePlainDecoder) {
  // Valid streams of short-distance repeats, runs and literal stretches, cut
  // at every capacity near their length, and seeded streams of random codes.
  std::vector<Bytes> streams;
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    std::mt19937 rng(seed);
    Bytes in;
    while (in.size() < 3000) {
      const size_t piece = 1 + rng() % 40;
      const size_t distance = 1 + rng() % (seed % 3 == 0 ? 20 : 9);
      for (size_t i = 0; i < piece; ++i)
        in.push_back(rng() % 4 == 0 || in.size() < distance ? uint8_t(rng())
                                                            : in[in.size() - distance]);
      if (rng() % 8 == 0) in.insert(in.end(), 16 + rng() % 60, uint8_t(rng()));
    }
    streams.push_back(compress(in));
  }
  // Incompressible data: whole groups of sixteen literals, the last one short.
  for (uint32_t seed = 1; seed <= 8; ++seed)
    streams.push_back(compress(testing::randomBytes(40 * seed + 7, seed)));
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    std::mt19937 rng(seed);
    Bytes coded = testing::randomBytes(rng() % 200, seed);
    // Mostly short distances, so that references often land inside the output.
    for (size_t i = 2; i < coded.size(); i += 3) coded[i] &= 0x0F;
    streams.push_back(coded);
  }
  for (const Bytes& coded : streams) {
    Bytes plain;
    const CodecStatus full = plainDecompress(coded, plain, 1 << 20);
    const size_t length = plain.size();
    for (size_t capacity : {size_t(1) << 20, length, length + 1, length + 7, length + 40,
                            length / 2, length > 0 ? length - 1 : 0, size_t(0)}) {
      Bytes fast;
      const CodecStatus expected = plainDecompress(coded, plain, capacity);
      ASSERT_EQ(decompress(coded, fast, capacity), expected) << coded.size() << " " << capacity;
      if (expected == CodecStatus::ok) {
        ASSERT_EQ(fast, plain);
      }
      if (full == CodecStatus::ok && capacity >= length) {
        ASSERT_EQ(expected, CodecStatus::ok);
      }
    }
  }
}

}  // namespace
}  // namespace brevan::spatial
