#include "viewer/exact_inflate.h"

#include <zlib.h>

namespace brevan::screensource {

bool inflateExactly(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  stream.next_in = const_cast<Bytef*>(in);
  stream.avail_in = static_cast<uInt>(inSize);
  stream.next_out = out;
  stream.avail_out = static_cast<uInt>(outSize);
  // One call with the whole output space: Z_STREAM_END only when the stream ended, checksum
  // included, within that space.
  const int result = inflate(&stream, Z_FINISH);
  const bool exact = result == Z_STREAM_END && stream.avail_in == 0 && stream.avail_out == 0;
  inflateEnd(&stream);
  return exact;
}

}  // namespace brevan::screensource
