// Move-to-front coding over the 256 byte values, in place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brevan::spatial {

void moveToFrontEncode(uint8_t* data, size_t n);
void moveToFrontDecode(uint8_t* data, size_t n);

// Decodes a stream that arrives in pieces, keeping the list between them.
// `plainOnly` keeps to the loop every processor runs (tests compare the two).
class MoveToFrontDecoder {
 public:
  explicit MoveToFrontDecoder(bool plainOnly = false);
  void decode(uint8_t* data, size_t n);

 private:
  uint8_t order_[256];
  bool plainOnly_;
};

}  // namespace brevan::spatial
