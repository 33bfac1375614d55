#include "pixel_coder.h"

#include <cstring>

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

bool PixelCoder::compress(const uint32_t* rows, int width, int height, int stride) {
  static_assert(sizeof(uint32_t) == 4, "pixels are four bytes, blue first in memory");
  const size_t rowBytes = size_t(width) * 4;
  raw_.resize(rowBytes * height);
  for (int r = 0; r < height; ++r, rows += stride)
    std::memcpy(&raw_[r * rowBytes], rows, rowBytes);
  // Byte by byte (blue, green, red, unused on little-endian machines), in a form the compiler
  // vectorises; the unused byte is cleared after.
  const uint8_t half = static_cast<uint8_t>(half_), mask = mask_, limit = limit_;
  uint8_t* bytes = raw_.data();
  for (size_t i = 0; i < raw_.size(); ++i) {
    uint8_t v = bytes[i];
    bytes[i] = v < limit ? static_cast<uint8_t>((v + half) & mask) : 255;
  }
  uint8_t* pixel = raw_.data();
  for (size_t i = 3; i < raw_.size(); i += 4) pixel[i] = 0;
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
