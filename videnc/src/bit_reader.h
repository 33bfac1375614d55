// Reads packet bits in the order BitWriter wrote them. Reading past the
// packet's bit length sets the error flag and yields zero bits, so a caller
// can check once per block instead of once per field.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brevan::videnc {

class BitReader {
 public:
  BitReader(const uint8_t* data, size_t bitLength) : data_(data), bits_(bitLength) {}

  // The next `count` bits (count <= 24) without consuming them; bits past
  // the end read as 0.
  uint32_t peek(unsigned count) const {
    uint32_t value = 0;
    const size_t byte = pos_ / 8;
    const unsigned shift = pos_ % 8;
    for (unsigned i = 0; i < 4; ++i) {
      if ((byte + i) * 8 < bits_) value |= static_cast<uint32_t>(data_[byte + i]) << (8 * i);
    }
    value >>= shift;
    return value & ((1u << count) - 1);
  }

  void skip(unsigned count) {
    pos_ += count;
    if (pos_ > bits_) failed_ = true;
  }

  uint32_t read(unsigned count) {
    const uint32_t value = peek(count);
    skip(count);
    return value;
  }

  bool failed() const { return failed_; }
  size_t position() const { return pos_; }
  size_t remaining() const { return pos_ >= bits_ ? 0 : bits_ - pos_; }

 private:
  const uint8_t* data_;
  size_t bits_;
  size_t pos_ = 0;
  bool failed_ = false;
};

}  // namespace brevan::videnc
