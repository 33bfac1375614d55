// Move-to-front coding over the 256 byte values, in place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace spatial {

void moveToFrontEncode(uint8_t* data, size_t n);
void moveToFrontDecode(uint8_t* data, size_t n);

}  // namespace spatial
