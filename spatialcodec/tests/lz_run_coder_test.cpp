#include <gtest/gtest.h>

#include "lz_run_coder.h"
#include "test_support.h"

namespace spatial {
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

}  // namespace
}  // namespace spatial
