#include "byte_io.h"

#include <algorithm>
#include <cstring>

namespace brevan::delta {

size_t MemorySource::readAt(int64_t offset, uint8_t* dest, size_t n) {
  if (offset < 0 || static_cast<uint64_t>(offset) >= size_) return 0;
  size_t count = std::min(n, size_ - static_cast<size_t>(offset));
  std::memcpy(dest, data_ + offset, count);
  return count;
}

bool MemorySink::append(const uint8_t* data, size_t n) {
  bytes.insert(bytes.end(), data, data + n);
  return true;
}

}  // namespace brevan::delta
