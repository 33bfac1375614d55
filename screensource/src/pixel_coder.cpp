#include "pixel_coder.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace brevan::screensource {

namespace {
constexpr int kLevel = 3;
}

uint8_t quantiseComponent(int v, int bits) {
  int half = bits == 8 ? 0 : 1 << (7 - bits);
  int mask = 256 - (1 << (8 - bits));
  return static_cast<uint8_t>(v < half + mask ? (v + half) & mask : 255);
}

uint32_t quantisePixel(uint32_t pixel, int bits) {
  return quantiseComponent(pixel & 0xFF, bits) | quantiseComponent((pixel >> 8) & 0xFF, bits) << 8 |
         uint32_t(quantiseComponent((pixel >> 16) & 0xFF, bits)) << 16;
}

std::vector<uint32_t> quantisedFrame(const uint32_t* bottomUp, int width, int height, int bits) {
  std::vector<uint32_t> frame(size_t(width) * height);
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = bottomUp + size_t(height - 1 - y) * width;
    for (int x = 0; x < width; ++x) frame[size_t(y) * width + x] = quantisePixel(row[x], bits);
  }
  return frame;
}

PixelCoder::PixelCoder() : deflater_(kLevel) { setRounding(); }

void PixelCoder::setBits(int bits) {
  if (bits < 1 || bits > 8 || bits == bits_) return;
  bits_ = bits;
  setRounding();
}

void PixelCoder::setRounding() {
  half_ = bits_ == 8 ? 0 : 1 << (7 - bits_);
  mask_ = static_cast<uint8_t>(256 - (1 << (8 - bits_)));
  limit_ = static_cast<uint8_t>(half_ + mask_);
}

// Every byte rounded as quantiseComponent does, the unused fourth byte of each pixel cleared.
// Below bits 8, v >= limit exactly when v + half overflows a byte, which a saturating add shows.
void PixelCoder::quantiseBytes(uint8_t* bytes, size_t size) const {
  size_t i = 0;
#ifdef __SSE2__
  const __m128i half = _mm_set1_epi8(static_cast<char>(half_));
  const __m128i mask = _mm_set1_epi8(static_cast<char>(mask_));
  const __m128i limit = _mm_set1_epi8(static_cast<char>(limit_));
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  for (; i + 16 <= size; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    __m128i rounded = _mm_and_si128(_mm_adds_epu8(v, half), mask);
    __m128i saturated = _mm_cmpeq_epi8(_mm_max_epu8(v, limit), v);
    __m128i q = _mm_and_si128(_mm_or_si128(rounded, saturated), colour);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + i), q);
  }
#endif
  for (; i < size; ++i) {
    const uint8_t v = bytes[i];
    bytes[i] = i % 4 == 3 ? 0 : v < limit_ ? static_cast<uint8_t>((v + half_) & mask_) : 255;
  }
}

bool PixelCoder::compress(const uint32_t* rows, int width, int height, int stride) {
  static_assert(sizeof(uint32_t) == 4, "pixels are four bytes, blue first in memory");
  const size_t rowBytes = size_t(width) * 4;
  raw_.resize(rowBytes * height);
  for (int r = 0; r < height; ++r, rows += stride) std::memcpy(&raw_[r * rowBytes], rows, rowBytes);
  quantiseBytes(raw_.data(), raw_.size());
  // The output buffer is sized for zlib's worst case: a tile of noise does not fit in its own
  // size.
  return deflater_.compress(raw_.data(), raw_.size(), compressed_, compressedSize_) &&
         compressedSize_ <= 0xFFFF;
}

void PixelCoder::appendCompressed(PacketBuffer& packet) const {
  packet.put16(static_cast<int>(compressedSize_));
  packet.put(compressed_.data(), compressedSize_);
}

}  // namespace brevan::screensource
