// The coder renormalises a whole symbol at a time; these tests hold it to the
// textbook coder that shifts one bit per step, on streams of every shape.
#include <gtest/gtest.h>

#include <random>

#include "arithmetic_coder.h"
#include "arithmetic_model.h"
#include "test_support.h"

namespace brevan::spatial {
namespace {

using testing::Bytes;

constexpr size_t kNoLimit = size_t(1) << 30;

TEST(ArithmeticCoder, ReciprocalDivisionMatchesPlainDivision) {
  // Every total the model can reach, with products on both sides of each multiple.
  const TotalReciprocals& divider = totalReciprocals();
  for (uint32_t d = 1; d <= kMaxFrequency; ++d) {
    for (uint32_t k = 1; k <= 65536; k += k < 64 ? 1 : 509) {
      for (uint32_t x : {k * d - 1, k * d, k * d - d / 2})
        ASSERT_EQ(divider.divide(x, d), x / d) << x << " / " << d;
    }
    ASSERT_EQ(divider.divide(65536 * d, d), 65536u);
  }
}

struct PlainInterval {
  uint32_t low = 0;
  uint32_t high = 65535;

  void narrow(const ArithmeticModel& m, int symbol) {
    const uint32_t range = high - low + 1;
    high = low + range * m.cumFreq[symbol - 1] / m.cumFreq[0] - 1;
    low = low + range * m.cumFreq[symbol] / m.cumFreq[0];
  }
  // One doubling step: 0 or 1 for a leading bit, 2 for a follow step, -1 when done.
  int step() {
    int kind = -1;
    if (high < 32768) {
      kind = 0;
    } else if (low >= 32768) {
      kind = 1;
      low -= 32768;
      high -= 32768;
    } else if (low >= 16384 && high < 49152) {
      kind = 2;
      low -= 16384;
      high -= 16384;
    } else {
      return -1;
    }
    low = 2 * low;
    high = 2 * high + 1;
    return kind;
  }
};

Bytes plainEncode(const Bytes& in) {
  Bytes out;
  int byte = 0, bits = 0, follows = 0;
  auto emit = [&](int bit) {
    byte |= bit << bits;
    if (++bits == 8) {
      out.push_back(uint8_t(byte));
      byte = bits = 0;
    }
  };
  auto emitWithFollow = [&](int bit) {
    emit(bit);
    for (; follows > 0; --follows) emit(bit ^ 1);
  };
  ArithmeticModel model;
  PlainInterval iv;
  for (size_t i = 0; i <= in.size(); ++i) {
    const int symbol = i < in.size() ? model.charToSymbol[in[i]] : kEndSymbol;
    iv.narrow(model, symbol);
    for (int kind; (kind = iv.step()) >= 0;) kind == 2 ? void(++follows) : emitWithFollow(kind);
    if (i < in.size()) model.update(symbol);
  }
  ++follows;
  emitWithFollow(iv.low < 16384 ? 0 : 1);
  out.push_back(uint8_t(byte));
  return out;
}

// The decoded bytes, and whether the stream ended cleanly; false also when a
// bit of the 15th byte past the end was needed.
bool plainDecode(const Bytes& in, Bytes& out) {
  size_t bitAt = 0;
  auto next = [&](uint32_t& bit) {
    if (bitAt / 8 >= in.size() + 14) return false;
    bit = bitAt / 8 < in.size() ? (in[bitAt / 8] >> (bitAt % 8)) & 1 : 0;
    ++bitAt;
    return true;
  };
  ArithmeticModel model;
  PlainInterval iv;
  uint32_t value = 0, bit = 0;
  for (int i = 0; i < 16; ++i) next(bit), value = 2 * value + bit;
  for (;;) {
    const uint32_t range = iv.high - iv.low + 1;
    const uint32_t cum = ((value - iv.low + 1) * model.cumFreq[0] - 1) / range;
    int symbol = 1;
    while (model.cumFreq[symbol] > cum) ++symbol;
    iv.narrow(model, symbol);
    for (int kind; (kind = iv.step()) >= 0;) {
      value = 2 * (value - (kind == 1 ? 32768 : kind == 2 ? 16384 : 0));
      if (!next(bit)) return false;
      value += bit;
    }
    if (symbol == kEndSymbol) return true;
    out.push_back(model.symbolToChar[symbol]);
    model.update(symbol);
  }
}

Bytes encode(const Bytes& in) {
  Bytes out;
  ByteWriter w(out, kNoLimit);
  EXPECT_TRUE(arithmeticEncode(in.data(), in.size(), w));
  w.finish();
  return out;
}

// Bytes whose intervals keep holding the middle of the coder's interval, so
// that no leading bit is settled and the follow bits pile up (past 32 of them).
Bytes undecidedBytes(size_t n) {
  ArithmeticModel model;
  PlainInterval iv;
  Bytes out;
  while (out.size() < n) {
    int symbol = 1;
    for (int s = 1; s < kEndSymbol; ++s) {
      PlainInterval t = iv;
      t.narrow(model, s);
      if (t.low < 32768 && t.high >= 32768) symbol = s;
    }
    iv.narrow(model, symbol);
    while (iv.step() >= 0) {
    }
    out.push_back(model.symbolToChar[symbol]);
    model.update(symbol);
  }
  return out;
}

// Skewed and uniform bytes, long runs and long follow chains, and real files.
std::vector<Bytes> seededInputs() {
  std::vector<Bytes> inputs = {
      {}, {0}, Bytes(100000, 7), testing::readFile("/usr/bin/bash", 200000), undecidedBytes(3000)};
  Bytes undecidedThenPlain = undecidedBytes(500);
  for (int i = 0; i < 2000; ++i) undecidedThenPlain.push_back(uint8_t(i * 7));
  inputs.push_back(undecidedThenPlain);
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    Bytes in = testing::randomBytes(rng() % 30000, seed, 1 + int(rng() % 256));
    for (int r = 0; r < 20 && !in.empty(); ++r) {
      const size_t start = rng() % in.size();
      std::fill_n(in.begin() + start, std::min<size_t>(in.size() - start, rng() % 3000),
                  uint8_t(rng()));
    }
    inputs.push_back(in);
  }
  return inputs;
}

TEST(ArithmeticCoder, EncodesAsThePlainCoder) {
  for (const Bytes& in : seededInputs()) EXPECT_EQ(encode(in), plainEncode(in)) << in.size();
}

TEST(ArithmeticCoder, DecodesAsThePlainCoderWholeCutAndDamaged) {
  std::mt19937 rng(99);
  for (const Bytes& in : seededInputs()) {
    const Bytes coded = encode(in);
    std::vector<Bytes> streams = {coded, Bytes(coded.begin(), coded.begin() + coded.size() / 2),
                                  Bytes(40, 0xFF)};
    for (int k = 0; k < 4; ++k) {
      Bytes damaged = coded;
      damaged[rng() % damaged.size()] ^= uint8_t(1 + rng() % 255);
      streams.push_back(damaged);
    }
    for (const Bytes& s : streams) {
      Bytes plain, fast;
      const bool plainOk = plainDecode(s, plain);
      ByteWriter w(fast, kNoLimit);
      const CodecStatus status = arithmeticDecode(s.data(), s.size(), w);
      w.finish();
      ASSERT_EQ(status == CodecStatus::ok, plainOk) << in.size();
      ASSERT_EQ(fast, plain) << in.size();
    }
  }
}

// The adaptive model as first written: one count at a time.
struct PlainModel {
  int charToSymbol[256];
  int symbolToChar[258] = {};
  uint32_t freq[258];
  uint32_t cumFreq[258];

  PlainModel() {
    for (int c = 0; c < 256; ++c) charToSymbol[c] = c + 1, symbolToChar[c + 1] = c;
    for (int s = 0; s <= 257; ++s) freq[s] = s > 0, cumFreq[s] = uint32_t(257 - s);
  }
  void update(int symbol) {
    if (cumFreq[0] == kMaxFrequency) {
      uint32_t sum = 0;
      for (int s = 257; s >= 0; --s) freq[s] = (freq[s] + 1) / 2, cumFreq[s] = sum, sum += freq[s];
    }
    int i = symbol;
    while (freq[i] == freq[i - 1]) --i;
    const int a = symbolToChar[i], b = symbolToChar[symbol];
    symbolToChar[i] = b, symbolToChar[symbol] = a, charToSymbol[a] = symbol, charToSymbol[b] = i;
    ++freq[i];
    for (int s = 0; s < i; ++s) ++cumFreq[s];
  }
};

void expectSameModel(const ArithmeticModel& fast, const PlainModel& plain, size_t step) {
  for (int s = 0; s <= 257; ++s) {
    ASSERT_EQ(fast.freq[s], plain.freq[s]) << "symbol " << s << " after " << step;
    ASSERT_EQ(fast.cumFreq[s], plain.cumFreq[s]) << "symbol " << s << " after " << step;
  }
  for (int c = 0; c < 256; ++c) ASSERT_EQ(fast.charToSymbol[c], plain.charToSymbol[c]) << c;
  for (int s = 1; s <= 256; ++s) ASSERT_EQ(fast.symbolToChar[s], plain.symbolToChar[s]) << s;
}

TEST(ArithmeticCoder, ModelKeepsThePlainModelsCountsAndSearch) {
  // Bytes drawn from every part of the order (the update adds to eight counts
  // at once, up to the last symbol), through several halvings.
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    std::mt19937 rng(seed);
    ArithmeticModel fast;
    PlainModel plain;
    for (size_t step = 0; step < 40000; ++step) {
      const uint32_t pick = rng();
      const int c = pick % 4 == 0 ? int(pick >> 8) % 256 : int(pick >> 8) % (1 + seed * 9);
      const int symbol = plain.charToSymbol[c];
      ASSERT_EQ(fast.charToSymbol[c], symbol);
      fast.update(symbol);
      plain.update(symbol);
      if (step % 997 == 0 || step < 300) expectSameModel(fast, plain, step);
      if (step % 4001 == 0) {
        // The search takes the count as floor(target / range), over the
        // ranges the coder can have; both ends of each count's targets.
        for (uint32_t cum = 0; cum < plain.cumFreq[0]; ++cum) {
          int expected = 1;
          while (plain.cumFreq[expected] > cum) ++expected;
          for (const uint32_t range : {16385u, 40001u + pick % 9973, 65536u}) {
            ASSERT_EQ(fast.symbolBelow(cum * range, range), expected) << cum;
            ASSERT_EQ(fast.symbolBelow(cum * range + range - 1, range), expected) << cum;
          }
        }
      }
    }
    expectSameModel(fast, plain, 40000);
  }
}

}  // namespace
}  // namespace brevan::spatial
