#include "buffered_reader.h"

#include <algorithm>

#include "buffered_writer.h"
#include "delta_error.h"

namespace brevan::delta {

BufferedReader::BufferedReader(ByteSource& source) : source_(source), size_(source.size()) {
  for (Window& w : windows_) w.bytes = std::make_unique<uint8_t[]>(kWindowSize);
}

uint8_t BufferedReader::missedByte(int64_t x, int first, int64_t reloadStart) {
  if (x < 0 || x >= size_) throw DeltaError("position outside the file");
  const Window& other = windows_[1 - first];
  if (x >= other.start && x < other.start + other.valid) return other.bytes[x - other.start];
  Window& w = windows_[first];
  load(w, std::max<int64_t>(reloadStart, 0));
  return w.bytes[x - w.start];
}

void BufferedReader::load(Window& w, int64_t start) {
  int64_t wanted = std::min(kWindowSize, size_ - start);
  w.start = start;
  w.valid = 0;
  size_t got = source_.readAt(start, w.bytes.get(), static_cast<size_t>(wanted));
  if (static_cast<int64_t>(got) != wanted) throw DeltaError("file shorter than its size");
  w.valid = wanted;
}

uint32_t BufferedReader::scanUint32(int64_t x) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | scanByte(x + i);
  return value;
}

void BufferedReader::require(int64_t offset, int64_t length) const {
  if (offset < 0 || length < 0 || offset > size_ || length > size_ - offset)
    throw DeltaError("range outside the file");
}

void BufferedReader::copyTo(int64_t offset, int64_t length, BufferedWriter& out) {
  require(offset, length);
  uint8_t chunk[16384];
  while (length > 0) {
    size_t n = static_cast<size_t>(std::min<int64_t>(length, sizeof chunk));
    if (source_.readAt(offset, chunk, n) != n) throw DeltaError("file shorter than its size");
    out.putBytes(chunk, n);
    offset += static_cast<int64_t>(n);
    length -= static_cast<int64_t>(n);
  }
}

}  // namespace brevan::delta
