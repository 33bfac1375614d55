// Adaptive order-0 arithmetic coder with 16-bit code values over the 256
// byte values and an end symbol: the integer coder of Witten, Neal and Cleary
// (Communications of the ACM 30(6), 1987) with that paper's constants. Bits are
// packed from the least significant bit of each byte up; every call starts
// from the same model.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_writer.h"
#include "codec_status.h"

namespace brevan::spatial {

// Codes every byte, then the end symbol. False only when `out` reaches its limit.
bool arithmeticEncode(const uint8_t* in, size_t n, ByteWriter& out);

// Decodes up to the end symbol. badInput when the code needs more than 14
// bytes beyond the end of the input (missing bytes read as 0 bits).
CodecStatus arithmeticDecode(const uint8_t* in, size_t n, ByteWriter& out);

}  // namespace brevan::spatial
