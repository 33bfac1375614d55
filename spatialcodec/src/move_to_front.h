// Move-to-front coding over the 256 byte values, in place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brevan::spatial {

void moveToFrontEncode(uint8_t* data, size_t n);
void moveToFrontDecode(uint8_t* data, size_t n);

// Decodes a stream that arrives in pieces, keeping the list between them.
class MoveToFrontDecoder {
 public:
  MoveToFrontDecoder();
  void decode(uint8_t* data, size_t n);

 private:
  uint8_t order_[256];
};

}  // namespace brevan::spatial
