// Palette image filter: each pixel is cut to a few bits per channel and
// replaced by an index into a 256-entry palette that adapts as images are
// coded (the least recently used entry is replaced and doubles as the escape
// index; new colours travel in full). One filter carries its palette from
// image to image, so a stream of images reuses the colours already sent.
//
// Pixel stream for n pixels (n < 65,536):
//   count (16-bit little-endian), n palette indexes in coding order, then for
//   every escape its colour's low, middle and high byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace brevan::spatial {

constexpr int kPaletteSize = 256;
constexpr int kBucketCount = 4096;
constexpr size_t kMaxStreamPixels = 65535;  // the count field is 16 bits
constexpr int kDefaultBitsPerColor = 3;

size_t pixelStreamBound(size_t pixels);

// Colour lookup buckets of the encoder.
uint32_t colorBucket(uint32_t color);

// The palette and its use list: all that decoding needs.
struct PaletteState {
  std::array<uint32_t, kPaletteSize> palette;
  std::array<int32_t, kPaletteSize> prevEntry;  // toward the most recently used end
  std::array<int32_t, kPaletteSize> nextEntry;  // toward the least recently used end
  int32_t lruTail;                              // also the escape entry
  int32_t mruHead;

  void moveToHead(int32_t entry);
};

class ImageFilter {
 public:
  ImageFilter();

  // Back to the initial palette; the bits per colour stay.
  void reset();
  // Ignores values outside 1..8.
  void setBitsPerColor(int bits);
  uint32_t quantise(uint32_t pixel) const;

  // Codes `count` pixels (count <= kMaxStreamPixels) given in coding order
  // into `stream`, which holds pixelStreamBound(count) bytes. Returns its length.
  size_t encode(const uint32_t* pixels, size_t count, uint8_t* stream);

  // Decodes the indexes and colours that follow the count field of a stream
  // of `count` pixels. False (palette unchanged) when the stream's new colours
  // run out.
  bool decode(const uint8_t* body, size_t bodyLength, size_t count, uint32_t* pixels);

  uint32_t colorMask() const { return colorMask_; }
  uint32_t roundingAdd() const { return roundingAdd_; }
  const PaletteState& paletteState() const { return state_; }

 private:
  int32_t findEntry(uint32_t color, uint32_t bucket) const;
  void replaceTail(uint32_t color, uint32_t bucket);

  uint32_t colorMask_;
  uint32_t roundingAdd_;
  PaletteState state_;
  std::array<uint32_t, kPaletteSize> entryHash_;
  std::array<int32_t, kBucketCount> bucketCount_;
  std::array<int32_t, kBucketCount> bucketLastEntry_;
};

}  // namespace brevan::spatial
