// Pixels as they travel: each 32-bit pixel becomes blue, green, red, 0 with every component
// quantised to the source's bits per colour, compressed with one zlib compress2 call at level 3.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "packet_buffer.h"
#include "zlib_stream.h"

namespace brevan::screensource {

// Component v kept to b bits, rounded to nearest with saturation at 255.
uint8_t quantiseComponent(int v, int bits);
// The pixel as the viewer shows it: quantised components, high byte 0.
uint32_t quantisePixel(uint32_t pixel, int bits);
// A bottom-up grab of width x height as the viewer shows it: quantised, top row first.
std::vector<uint32_t> quantisedFrame(const uint32_t* bottomUp, int width, int height, int bits);

class PixelCoder {
 public:
  PixelCoder();
  // 1 .. 8; other values are ignored.
  void setBits(int bits);
  int bits() const { return bits_; }

  // Quantise width x height pixels (rows of `stride` words, in memory order) and compress them;
  // false when zlib fails. The result stays until the next call.
  bool compress(const uint32_t* rows, int width, int height, int stride);
  // The 16-bit length and the bytes of the last compression.
  void appendCompressed(PacketBuffer& packet) const;

 private:
  void setRounding();
  void quantiseBytes(uint8_t* bytes, size_t size) const;

  int bits_ = 3;
  int half_ = 0;
  uint8_t mask_ = 0;
  uint8_t limit_ = 0;
  std::vector<uint8_t> raw_;
  Deflater deflater_;
  std::vector<uint8_t> compressed_;
  size_t compressedSize_ = 0;
};

}  // namespace brevan::screensource
