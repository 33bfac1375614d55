// Byte run-length form used before and after the block sort: a byte equal to
// the one before it is followed by a count (0..255) of further copies.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_writer.h"
#include "codec_status.h"

namespace brevan::spatial {

// Largest run-length form of an n-byte input (three bytes per two in the worst case).
size_t runLengthBound(size_t n);

// False only when `out` reaches its limit.
bool runLengthEncode(const uint8_t* in, size_t n, ByteWriter& out);

// badInput when the form ends where a count byte is due.
CodecStatus runLengthDecode(const uint8_t* in, size_t n, ByteWriter& out);

// The decoder of a form that arrives in pieces: each piece is decoded up to
// a repeated byte whose count has not come yet.
class RunLengthDecoder {
 public:
  // Decodes in[0, n) but for such a byte, which `used` leaves out and the
  // next piece must start with. tooLarge when `out` reaches its limit.
  CodecStatus decode(const uint8_t* in, size_t n, ByteWriter& out, size_t& used);
  // After the last piece, given what it left out: badInput if that is a
  // repeated byte (which `out` still takes), ok if nothing.
  static CodecStatus finish(const uint8_t* left, size_t n, ByteWriter& out);

 private:
  uint8_t prev_ = 0;  // the last byte written: a byte equal to it starts a run
};

}  // namespace brevan::spatial
