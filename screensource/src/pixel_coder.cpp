#include "pixel_coder.h"

#include <zlib.h>

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

PixelCoder::PixelCoder() {
  for (int v = 0; v < 256; ++v) table_[v] = quantiseComponent(v, bits_);
}

void PixelCoder::setBits(int bits) {
  if (bits < 1 || bits > 8 || bits == bits_) return;
  bits_ = bits;
  for (int v = 0; v < 256; ++v) table_[v] = quantiseComponent(v, bits);
}

bool PixelCoder::compress(const uint32_t* rows, int width, int height, int stride) {
  raw_.resize(size_t(width) * height * 4);
  uint8_t* out = raw_.data();
  for (int r = 0; r < height; ++r, rows += stride) {
    for (int c = 0; c < width; ++c) {
      uint32_t p = rows[c];
      out[0] = table_[p & 0xFF];
      out[1] = table_[(p >> 8) & 0xFF];
      out[2] = table_[(p >> 16) & 0xFF];
      out[3] = 0;
      out += 4;
    }
  }
  // Sized for zlib's worst case: a tile of noise does not fit in its own size.
  uLongf length = compressBound(static_cast<uLong>(raw_.size()));
  compressed_.resize(length);
  compressedSize_ = 0;
  if (compress2(compressed_.data(), &length, raw_.data(), static_cast<uLong>(raw_.size()),
                kLevel) != Z_OK ||
      length > 0xFFFF)
    return false;
  compressedSize_ = length;
  return true;
}

void PixelCoder::appendCompressed(PacketBuffer& packet) const {
  packet.put16(static_cast<int>(compressedSize_));
  packet.put(compressed_.data(), compressedSize_);
}

}  // namespace brevan::screensource
