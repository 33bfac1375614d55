// AVX2 forms of the forward transform for two horizontally adjacent blocks
// at once, bit for bit equal to the scalar one. Callers run them only where
// avx2Enabled() says so.
#pragma once

#include <cstdint>

namespace videnc {

// forwardDctBytesSse2 of the block at src and of the one 8 bytes on.
void forwardDctBytesPairAvx2(const uint8_t* src, int stride, int32_t bias, int16_t* first, int16_t* second);

// forwardDct16Sse2 of two blocks.
void forwardDct16PairAvx2(const int16_t* inFirst, const int16_t* inSecond, int16_t* first, int16_t* second);

}  // namespace videnc
