// Move-to-front coding over the 256 byte values, in place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brevan::spatial {

void moveToFrontEncode(uint8_t* data, size_t n);
void moveToFrontDecode(uint8_t* data, size_t n);

}  // namespace brevan::spatial
