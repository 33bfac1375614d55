#include "arithmetic_coder.h"

#include "arithmetic_model.h"

namespace spatial {
namespace {

constexpr uint32_t kTopValue = 65535;
constexpr uint32_t kFirstQuarter = 16384;
constexpr uint32_t kHalf = 32768;
constexpr uint32_t kThirdQuarter = 49152;
constexpr int kMissingBytesTolerated = 14;

// Narrows [low, high] to the sub-interval of `symbol`.
inline void narrow(const TotalReciprocals& divider, const ArithmeticModel& model, int symbol,
                   uint32_t& low, uint32_t& high) {
  const uint32_t range = high - low + 1;
  const uint32_t total = model.cumFreq[0];
  high = low + divider.divide(range * model.cumFreq[symbol - 1], total) - 1;
  low = low + divider.divide(range * model.cumFreq[symbol], total);
}

class BitSink {
 public:
  explicit BitSink(ByteWriter& out) : out_(out) {}

  bool emitWithFollow(uint32_t bit) {
    if (!emit(bit)) return false;
    for (; bitsToFollow_ > 0; --bitsToFollow_)
      if (!emit(bit ^ 1)) return false;
    return true;
  }
  void follow() { ++bitsToFollow_; }

  // The last byte is always written, holding whatever bits are pending.
  bool flush() { return out_.put(static_cast<uint8_t>(byte_ >> missing_)); }

 private:
  bool emit(uint32_t bit) {
    byte_ = (byte_ >> 1) | (bit << 7);
    if (--missing_ > 0) return true;
    missing_ = 8;
    const uint8_t full = static_cast<uint8_t>(byte_);
    byte_ = 0;
    return out_.put(full);
  }

  ByteWriter& out_;
  uint32_t byte_ = 0;
  int missing_ = 8;
  uint32_t bitsToFollow_ = 0;
};

class Encoder {
 public:
  explicit Encoder(ByteWriter& out) : sink_(out) {}

  bool code(const ArithmeticModel& model, int symbol) {
    narrow(divider_, model, symbol, low_, high_);
    for (;;) {
      if (high_ < kHalf) {
        if (!sink_.emitWithFollow(0)) return false;
      } else if (low_ >= kHalf) {
        if (!sink_.emitWithFollow(1)) return false;
        low_ -= kHalf;
        high_ -= kHalf;
      } else if (low_ >= kFirstQuarter && high_ < kThirdQuarter) {
        sink_.follow();
        low_ -= kFirstQuarter;
        high_ -= kFirstQuarter;
      } else {
        return true;
      }
      low_ = 2 * low_;
      high_ = 2 * high_ + 1;
    }
  }

  bool finish() {
    sink_.follow();
    return sink_.emitWithFollow(low_ < kFirstQuarter ? 0 : 1) && sink_.flush();
  }

 private:
  const TotalReciprocals& divider_ = totalReciprocals();
  BitSink sink_;
  uint32_t low_ = 0;
  uint32_t high_ = kTopValue;
};

class BitSource {
 public:
  BitSource(const uint8_t* in, size_t n) : at_(in), end_(in + n) {}

  // False once more than the tolerated number of bytes past the end were needed.
  bool next(uint32_t& bit) {
    if (bitsLeft_ == 0) {
      if (at_ < end_) {
        byte_ = *at_++;
      } else {
        if (++missingBytes_ > kMissingBytesTolerated) return false;
        byte_ = 0;
      }
      bitsLeft_ = 8;
    }
    bit = byte_ & 1;
    byte_ >>= 1;
    --bitsLeft_;
    return true;
  }

 private:
  const uint8_t* at_;
  const uint8_t* end_;
  uint32_t byte_ = 0;
  int bitsLeft_ = 0;
  int missingBytes_ = 0;
};

class Decoder {
 public:
  Decoder(const uint8_t* in, size_t n) : bits_(in, n) {}

  bool start() {
    for (int i = 0; i < 16; ++i)
      if (!shiftIn()) return false;
    return true;
  }

  // Symbol 0 means the input ran out.
  int decode(const ArithmeticModel& model) {
    const uint32_t range = high_ - low_ + 1;
    const uint32_t cum = ((value_ - low_ + 1) * model.cumFreq[0] - 1) / range;
    if (cum >= model.cumFreq[0]) return 0;  // cannot happen while low <= value <= high
    int symbol = 1;
    while (model.cumFreq[symbol] > cum) ++symbol;
    narrow(divider_, model, symbol, low_, high_);
    for (;;) {
      if (high_ < kHalf) {
      } else if (low_ >= kHalf) {
        value_ -= kHalf;
        low_ -= kHalf;
        high_ -= kHalf;
      } else if (low_ >= kFirstQuarter && high_ < kThirdQuarter) {
        value_ -= kFirstQuarter;
        low_ -= kFirstQuarter;
        high_ -= kFirstQuarter;
      } else {
        return symbol;
      }
      low_ = 2 * low_;
      high_ = 2 * high_ + 1;
      if (!shiftIn()) return 0;
    }
  }

 private:
  bool shiftIn() {
    uint32_t bit;
    if (!bits_.next(bit)) return false;
    value_ = 2 * value_ + bit;
    return true;
  }

  const TotalReciprocals& divider_ = totalReciprocals();
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

CodecStatus arithmeticDecode(const uint8_t* in, size_t n, ByteWriter& out) {
  ArithmeticModel model;
  Decoder decoder(in, n);
  if (!decoder.start()) return CodecStatus::badInput;
  for (;;) {
    const int symbol = decoder.decode(model);
    if (symbol == 0) return CodecStatus::badInput;
    if (symbol == kEndSymbol) return CodecStatus::ok;
    if (!out.put(model.symbolToChar[symbol])) return CodecStatus::tooLarge;
    model.update(symbol);
  }
}

}  // namespace spatial
