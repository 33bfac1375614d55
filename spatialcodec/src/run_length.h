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

}  // namespace brevan::spatial
