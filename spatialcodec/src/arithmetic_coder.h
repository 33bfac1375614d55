// Adaptive order-0 arithmetic coder with 16-bit code values over the 256
// byte values and an end symbol: the integer coder of Witten, Neal and Cleary
// (Communications of the ACM 30(6), 1987) with that paper's constants. Bits are
// packed from the least significant bit of each byte up; every call starts
// from the same model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "byte_writer.h"
#include "codec_status.h"

namespace brevan::spatial {

// Codes every byte, then the end symbol. False only when `out` reaches its limit.
bool arithmeticEncode(const uint8_t* in, size_t n, ByteWriter& out);

// Decodes up to the end symbol. badInput when the code needs more than 14
// bytes beyond the end of the input (missing bytes read as 0 bits).
CodecStatus arithmeticDecode(const uint8_t* in, size_t n, ByteWriter& out);

// The same decoding a piece at a time, for stages that take its bytes as
// they come.
class ArithmeticDecoder {
 public:
  enum class Progress { more, ended, badInput };

  ArithmeticDecoder(const uint8_t* in, size_t n);
  ~ArithmeticDecoder();
  ArithmeticDecoder(const ArithmeticDecoder&) = delete;
  ArithmeticDecoder& operator=(const ArithmeticDecoder&) = delete;

  // Up to `room` bytes into `out` (`produced` of them); fewer only when the
  // end symbol comes (ended) or the code goes wrong (badInput). Once it has
  // ended or failed, it stays so and produces nothing.
  Progress decode(uint8_t* out, size_t room, size_t& produced);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace brevan::spatial
