// Inflating a zlib stream whose decompressed size is known in advance, as every image in a
// screen data packet is: the output never grows past that size, whatever the input says.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brevan::screensource {

// True when `in` is exactly one complete zlib stream (no bytes after it) that inflates to
// exactly `outSize` bytes; `out` then holds them. On false, `out` holds unspecified bytes but
// nothing beyond `outSize` was written.
bool inflateExactly(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize);

}  // namespace brevan::screensource
