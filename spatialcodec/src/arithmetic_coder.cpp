#include "arithmetic_coder.h"

#include "arithmetic_model.h"
#include "byte_runs.h"

namespace brevan::spatial {
namespace {

constexpr uint32_t kTopValue = 65535;
constexpr uint32_t kFirstQuarter = 16384;
constexpr uint32_t kHalf = 32768;
constexpr int kMissingBytesTolerated = 14;

// Narrows [low, high] to the sub-interval of `symbol`.
inline void narrow(const TotalReciprocals& divider, const ArithmeticModel& model, int symbol,
                   uint32_t& low, uint32_t& high) {
  const uint32_t range = high - low + 1;
  const uint32_t total = model.cumFreq[0];
  high = low + divider.divide(range * model.cumFreq[symbol - 1], total) - 1;
  low = low + divider.divide(range * model.cumFreq[symbol], total);
}

// How one symbol's renormalisation doubles the interval, all steps at once.
// The leading bits that low and high share leave first (at most 16); then
// each "low = 01.., high = 10.." step drops the second bit and becomes a
// follow bit. After those no shared leading bit can appear.
struct Rescale {
  int shared;   // bits that leave, most significant first
  int follows;  // middle steps

  Rescale(uint32_t low, uint32_t high) : shared(__builtin_clz(((low ^ high) << 16) | 0x8000)) {
    const uint32_t lowAfter = (low << shared) & kTopValue;
    const uint32_t highAfter = (high << shared) & kTopValue;
    follows = __builtin_clz(~((lowAfter & ~highAfter) << 17));
  }
  int shift() const { return shared + follows; }
};

// low, high or value after the doubling: `fill` holds the bits shifted in.
inline uint32_t rescaled(uint32_t x, const Rescale& r, uint32_t fill) {
  const uint32_t flip = r.follows > 0 ? kHalf : 0;
  return (((x << r.shift()) | fill) & kTopValue) ^ flip;
}

inline uint32_t ones(int count) { return (uint32_t(1) << count) - 1; }

// The bits of each of eight bytes in reverse order (bits are packed from the
// least significant bit of each byte up).
inline uint64_t reversedBytes(uint64_t x) {
  x = ((x >> 1) & 0x5555555555555555u) | ((x & 0x5555555555555555u) << 1);
  x = ((x >> 2) & 0x3333333333333333u) | ((x & 0x3333333333333333u) << 2);
  return ((x >> 4) & 0x0F0F0F0F0F0F0F0Fu) | ((x & 0x0F0F0F0F0F0F0F0Fu) << 4);
}

// Eight bytes read little-endian, the first of them moved to the top.
inline uint64_t firstByteOnTop(uint64_t x) { return __builtin_bswap64(x); }

inline uint64_t ones64(uint32_t count) { return (uint64_t(1) << count) - 1; }

// Gathers bits most significant first in a 64-bit word and stores each
// finished byte reversed, 32 bits at a time.
class BitSink {
 public:
  explicit BitSink(ByteWriter& out) : out_(out) {}

  // The leading bits low shares with high after narrowing, the first of them
  // followed by the pending follow bits; then the rescale's own follow steps
  // wait. Without a branch unless the follow bits pile up past a word.
  bool emitShared(uint32_t low, const Rescale& r) {
    const uint32_t shared = uint32_t(r.shared);
    if (follows_ + shared > 32) {
      if (shared > 0 && !emitWithFollow(low >> (16 - shared), int(shared))) return false;
      follows_ += uint32_t(r.follows);
      return true;
    }
    const uint64_t first = (low >> 15) & 1;
    const uint64_t head = (first << follows_) | (ones64(follows_) & (first - 1));
    const uint64_t any = uint64_t(0) - uint64_t(shared > 0);
    const uint64_t bits = (((head << shared) >> 1) | ((low & 0x7FFF) >> (16 - shared))) & any;
    const uint32_t count = (follows_ + shared) & uint32_t(any);
    follows_ = (follows_ & ~uint32_t(any)) + uint32_t(r.follows);
    return put(bits, count);
  }

  // The first of `count` bits (1..16), then the pending follow bits (its
  // opposite), then the others.
  bool emitWithFollow(uint32_t bits, int count) {
    const uint32_t first = bits >> (count - 1);
    if (!put(first, 1)) return false;
    for (; follows_ > 0; follows_ -= chunk(follows_))
      if (!put(first ? 0 : ones(chunk(follows_)), chunk(follows_))) return false;
    return put(bits & ones(count - 1), uint32_t(count - 1));
  }
  void follow(int count) { follows_ += uint32_t(count); }

  // The last byte is always written, holding whatever bits are pending.
  bool flush() {
    for (; pending_ >= 8; pending_ -= 8)
      if (!out_.put(uint8_t(reversedBytes(word_ >> (pending_ - 8))))) return false;
    return out_.put(uint8_t(reversedBytes(word_ << (8 - pending_))));
  }

 private:
  static int chunk(uint32_t follows) { return follows < 16 ? int(follows) : 16; }

  // count is 0..32; bits holds nothing above it.
  bool put(uint64_t bits, uint32_t count) {
    word_ = (word_ << count) | bits;
    pending_ += count;
    if (pending_ < 32) return true;
    pending_ -= 32;
    const uint32_t full = uint32_t(reversedBytes(word_ >> pending_));
    const uint8_t bytes[4] = {uint8_t(full >> 24), uint8_t(full >> 16), uint8_t(full >> 8),
                              uint8_t(full)};
    return out_.putBytes(bytes, 4);
  }

  ByteWriter& out_;
  uint64_t word_ = 0;
  uint32_t pending_ = 0;
  uint32_t follows_ = 0;
};

class Encoder {
 public:
  explicit Encoder(ByteWriter& out) : sink_(out) {}

  bool code(const ArithmeticModel& model, int symbol) {
    narrow(divider_, model, symbol, low_, high_);
    const Rescale r(low_, high_);
    if (!sink_.emitShared(low_, r)) return false;
    low_ = rescaled(low_, r, 0);
    high_ = rescaled(high_, r, ones(r.shift()));
    return true;
  }

  bool finish() {
    sink_.follow(1);
    return sink_.emitWithFollow(low_ < kFirstQuarter ? 0 : 1, 1) && sink_.flush();
  }

 private:
  const TotalReciprocals& divider_ = totalReciprocals();
  BitSink sink_;
  uint32_t low_ = 0;
  uint32_t high_ = kTopValue;
};

// Hands out bits most significant first from a 64-bit word of whole bytes.
class BitSource {
 public:
  BitSource(const uint8_t* in, size_t n) : at_(in), end_(in + n) {}

  // count is 0..16. False once a bit of the 15th byte past the end is needed.
  bool take(int count, uint32_t& bits) {
    if (available_ < count) refill();
    available_ -= count;
    if (missingBytes_ > 0 && missingBytes_ * 8 - available_ > kMissingBytesTolerated * 8)
      return false;
    bits = uint32_t((word_ >> 1) >> (63 - count));  // 0 for no bits
    word_ <<= count;
    return true;
  }

 private:
  // Whole bytes up to 64 bits. Eight bytes at once where the input has them:
  // a byte that fits only in part is taken again, whole, next time, and its
  // bits land where they already are.
  void refill() {
    if (kLittleEndianBytes && end_ - at_ >= 8) {
      const int bytes = (64 - available_) >> 3;
      word_ |= firstByteOnTop(reversedBytes(load64(at_))) >> available_;
      at_ += bytes;
      available_ += 8 * bytes;
      return;
    }
    for (; available_ <= 56; available_ += 8) {
      uint64_t byte = 0;
      if (at_ < end_)
        byte = reversedBytes(*at_++);
      else
        ++missingBytes_;
      word_ |= byte << (56 - available_);
    }
  }

  const uint8_t* at_;
  const uint8_t* end_;
  uint64_t word_ = 0;
  int available_ = 0;
  int missingBytes_ = 0;
};

class Decoder {
 public:
  Decoder(const uint8_t* in, size_t n) : bits_(in, n) {}

  bool start() { return bits_.take(16, value_); }

  // Symbol 0 means the input ran out.
  int decode(const ArithmeticModel& model) {
    const uint32_t range = high_ - low_ + 1;
    const uint32_t total = model.cumFreq[0];
    // The cumulative count sought is floor(target / range); range * total < 2^30.
    const uint32_t target = (value_ - low_ + 1) * total - 1;
    if (total * range <= target) return 0;  // cannot happen while low <= value <= high
    const int symbol = model.symbolBelow(target, range);
    narrow(*divider_, model, symbol, low_, high_);
    const Rescale r(low_, high_);
    uint32_t in;
    if (!bits_.take(r.shift(), in)) return 0;
    value_ = rescaled(value_, r, in);
    low_ = rescaled(low_, r, 0);
    high_ = rescaled(high_, r, ones(r.shift()));
    return symbol;
  }

 private:
  const TotalReciprocals* divider_ = &totalReciprocals();
  BitSource bits_;
  uint32_t low_ = 0;
  uint32_t high_ = kTopValue;
  uint32_t value_ = 0;
};

}  // namespace

bool arithmeticEncode(const uint8_t* in, size_t n, ByteWriter& out) {
  ArithmeticModel model;
  Encoder encoder(out);
  for (size_t i = 0; i < n; ++i) {
    const int symbol = model.charToSymbol[in[i]];
    if (!encoder.code(model, symbol)) return false;
    model.update(symbol);
  }
  return encoder.code(model, kEndSymbol) && encoder.finish();
}

struct ArithmeticDecoder::State {
  State(const uint8_t* in, size_t n)
      : decoder(in, n), progress(decoder.start() ? Progress::more : Progress::badInput) {}
  ArithmeticModel model;
  Decoder decoder;
  Progress progress;
};

ArithmeticDecoder::ArithmeticDecoder(const uint8_t* in, size_t n) : state_(new State(in, n)) {}

ArithmeticDecoder::~ArithmeticDecoder() = default;

ArithmeticDecoder::Progress ArithmeticDecoder::decode(uint8_t* out, size_t room, size_t& produced) {
  State& st = *state_;
  produced = 0;
  if (st.progress != Progress::more) return st.progress;
  // A copy the stores into `out` cannot touch, so that its state stays in
  // registers from one symbol to the next.
  Decoder decoder = st.decoder;
  for (; produced < room; ++produced) {
    const int symbol = decoder.decode(st.model);
    if (symbol == 0 || symbol == kEndSymbol) {
      st.progress = symbol == 0 ? Progress::badInput : Progress::ended;
      break;
    }
    out[produced] = st.model.symbolToChar[symbol];
    st.model.update(symbol);
  }
  st.decoder = decoder;
  return st.progress;
}

CodecStatus arithmeticDecode(const uint8_t* in, size_t n, ByteWriter& out) {
  ArithmeticDecoder decoder(in, n);
  uint8_t piece[4096];
  for (;;) {
    size_t produced = 0;
    const ArithmeticDecoder::Progress p = decoder.decode(piece, sizeof piece, produced);
    if (!out.putBytes(piece, produced)) return CodecStatus::tooLarge;
    if (p == ArithmeticDecoder::Progress::badInput) return CodecStatus::badInput;
    if (p == ArithmeticDecoder::Progress::ended) return CodecStatus::ok;
  }
}

}  // namespace brevan::spatial
