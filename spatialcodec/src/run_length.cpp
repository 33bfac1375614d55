#include "run_length.h"

#include "byte_runs.h"

namespace brevan::spatial {
namespace {

constexpr size_t kMaxCount = 255;

// The first j >= i whose byte equals the one before it (`prev` standing
// before i), or n: the bytes up to there are copied as they are.
size_t repeatAt(const uint8_t* in, size_t i, size_t n, uint8_t prev) {
  if (i >= n || in[i] == prev) return i;
  ++i;
  if constexpr (kLittleEndianBytes) {
    // Eight neighbours compared at once; the lowest zero byte of the
    // difference is found exactly (borrows only run upwards from it).
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kHighs = 0x8080808080808080u;
    for (; i + 8 <= n; i += 8) {
      const uint64_t diff = load64(in + i) ^ load64(in + i - 1);
      const uint64_t zeros = (diff - kOnes) & ~diff & kHighs;
      if (zeros != 0) return i + size_t(__builtin_ctzll(zeros) / 8);
    }
  }
  while (i < n && in[i] != in[i - 1]) ++i;
  return i;
}

}  // namespace

size_t runLengthBound(size_t n) { return n + n / 2 + 2; }

bool runLengthEncode(const uint8_t* in, size_t n, ByteWriter& out) {
  // The previous byte starts at 0, so an input that starts with 0 begins a run.
  uint8_t prev = 0;
  size_t i = 0;
  while (i < n) {
    const size_t run = repeatAt(in, i, n, prev);
    if (!out.putBytes(in + i, run - i)) return false;
    if (run == n) break;
    const uint8_t c = in[run];
    i = run + 1;
    const size_t count = copiesAt(in, i, n, c, kMaxCount);
    i += count;
    // After a run the byte that stopped it differs from c, or, after the
    // longest count, may start a new run of c.
    if (!out.put(c) || !out.put(static_cast<uint8_t>(count))) return false;
    prev = c;
  }
  return true;
}

CodecStatus RunLengthDecoder::decode(const uint8_t* in, size_t n, ByteWriter& out, size_t& used) {
  size_t i = 0;
  for (;;) {
    const size_t run = repeatAt(in, i, n, prev_);
    if (!out.putBytes(in + i, run - i, n - i)) return CodecStatus::tooLarge;
    if (run > i) prev_ = in[run - 1];
    if (run + 1 >= n) {
      used = run;
      return CodecStatus::ok;
    }
    // The repeated byte and its further copies in one fill.
    if (!out.putRepeated(prev_, size_t(in[run + 1]) + 1)) return CodecStatus::tooLarge;
    i = run + 2;
  }
}

CodecStatus RunLengthDecoder::finish(const uint8_t* left, size_t n, ByteWriter& out) {
  if (n == 0) return CodecStatus::ok;
  return out.put(left[0]) ? CodecStatus::badInput : CodecStatus::tooLarge;
}

CodecStatus runLengthDecode(const uint8_t* in, size_t n, ByteWriter& out) {
  RunLengthDecoder decoder;
  size_t used = 0;
  const CodecStatus s = decoder.decode(in, n, out, used);
  return s == CodecStatus::ok ? RunLengthDecoder::finish(in + used, n - used, out) : s;
}

}  // namespace brevan::spatial
