#include "buffered_writer.h"

#include <cstring>
#include <limits>

#include "delta_error.h"

namespace brevan::delta {

BufferedWriter::BufferedWriter(ByteSink& sink)
    : sink_(sink), buffer_(std::make_unique<uint8_t[]>(kBufferSize)) {}

void BufferedWriter::putUint32(uint32_t value) {
  for (int i = 0; i < 4; ++i) put(static_cast<uint8_t>(value >> (8 * i)));
}

void BufferedWriter::putBytes(const uint8_t* bytes, size_t n) {
  while (n > 0) {
    if (used_ == kBufferSize) flush();
    size_t part = std::min(n, kBufferSize - used_);
    std::memcpy(buffer_.get() + used_, bytes, part);
    used_ += part;
    count_ += static_cast<int64_t>(part);
    bytes += part;
    n -= part;
  }
}

void BufferedWriter::flush() {
  // A count that no longer fits the int result cannot be reported: stop before writing more.
  if (count_ > std::numeric_limits<int32_t>::max()) throw DeltaError("result larger than an int");
  if (used_ > 0 && !sink_.append(buffer_.get(), used_))
    throw DeltaError("output cannot be written");
  used_ = 0;
}

}  // namespace brevan::delta
