#include "image_filter.h"

namespace brevan::spatial {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

// Initial palette: a marker colour, 128 greys, white, the 5x5x5 cube without
// its greys, and six tints (the last grey 0xFEFEFE appears twice).
std::array<uint32_t, kPaletteSize> initialPalette() {
  std::array<uint32_t, kPaletteSize> p{};
  int e = 0;
  p[e++] = 0x123456;
  for (uint32_t k = 0; k < 128; ++k) p[e++] = k * 0x020202;
  p[e++] = kWhite;
  const uint32_t levels[5] = {0, 64, 128, 192, 255};
  for (uint32_t hi : levels)
    for (uint32_t mid : levels)
      for (uint32_t lo : levels)
        if (!(hi == mid && mid == lo)) p[e++] = hi << 16 | mid << 8 | lo;
  for (uint32_t c : {0x201010u, 0x102010u, 0x101020u, 0x102020u, 0x201020u, 0xFEFEFEu}) p[e++] = c;
  return p;
}

}  // namespace

size_t pixelStreamBound(size_t pixels) { return 2 + 4 * pixels; }

uint32_t colorBucket(uint32_t color) { return ((color - 498) ^ (color >> 12)) & 0xFFF; }

void PaletteState::moveToHead(int32_t entry) {
  if (entry == mruHead) return;
  const int32_t before = prevEntry[entry];
  const int32_t after = nextEntry[entry];
  nextEntry[before] = after;
  if (after >= 0) {
    prevEntry[after] = before;
  } else {
    lruTail = before;
  }
  prevEntry[entry] = -1;
  nextEntry[entry] = mruHead;
  prevEntry[mruHead] = entry;
  mruHead = entry;
}

ImageFilter::ImageFilter() {
  setBitsPerColor(kDefaultBitsPerColor);
  reset();
}

void ImageFilter::reset() {
  static const std::array<uint32_t, kPaletteSize> kInitial = initialPalette();
  state_.palette = kInitial;
  bucketCount_.fill(0);
  for (int i = 0; i < kPaletteSize; ++i) {
    entryHash_[i] = colorBucket(kInitial[i]);
    ++bucketCount_[entryHash_[i]];
    bucketLastEntry_[entryHash_[i]] = i;  // ascending, so the highest entry wins
    state_.prevEntry[i] = i - 1;
    state_.nextEntry[i] = i + 1 < kPaletteSize ? i + 1 : -1;
  }
  state_.mruHead = 0;
  state_.lruTail = kPaletteSize - 1;
}

void ImageFilter::setBitsPerColor(int bits) {
  if (bits < 1 || bits > 8) return;
  const uint32_t step = 1u << (8 - bits);
  colorMask_ = (256 - step) * 0x010101u;
  roundingAdd_ = bits == 8 ? 0 : 0x010101u << (7 - bits);
}

uint32_t ImageFilter::quantise(uint32_t pixel) const {
  uint32_t rounded = pixel & kWhite;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t mask = colorMask_ & (0xFFu << shift);
    // A channel already at its top level is not rounded, so it cannot carry.
    if ((rounded & mask) != mask) rounded += roundingAdd_ & (0xFFu << shift);
  }
  const uint32_t q = rounded & colorMask_;
  return q == colorMask_ ? kWhite : q;
}

int32_t ImageFilter::findEntry(uint32_t color, uint32_t bucket) const {
  if (bucketCount_[bucket] == 0) return -1;
  if (state_.palette[bucketLastEntry_[bucket]] == color) return bucketLastEntry_[bucket];
  for (int32_t i = 0; i < kPaletteSize; ++i)
    if (state_.palette[i] == color) return i;
  return -1;
}

void ImageFilter::replaceTail(uint32_t color, uint32_t bucket) {
  const int32_t e = state_.lruTail;
  --bucketCount_[entryHash_[e]];
  state_.palette[e] = color;
  entryHash_[e] = bucket;
  ++bucketCount_[bucket];
  bucketLastEntry_[bucket] = e;
}

size_t ImageFilter::encode(const uint32_t* pixels, size_t count, uint8_t* stream) {
  stream[0] = uint8_t(count);
  stream[1] = uint8_t(count >> 8);
  uint8_t* indexes = stream + 2;
  uint8_t* colors = indexes + count;
  uint32_t lastPixel = 0;
  uint32_t lastColor = 0;
  bool haveLast = false;
  for (size_t i = 0; i < count; ++i) {
    // Neighbouring pixels mostly repeat; quantising is a pure function of the pixel.
    if (!haveLast || pixels[i] != lastPixel) {
      lastPixel = pixels[i];
      lastColor = quantise(lastPixel);
      haveLast = true;
    }
    const uint32_t q = lastColor;
    const uint32_t bucket = colorBucket(q);
    int32_t e = findEntry(q, bucket);
    if (e < 0 || e == state_.lruTail) {
      replaceTail(q, bucket);
      e = state_.lruTail;
      *colors++ = uint8_t(q);
      *colors++ = uint8_t(q >> 8);
      *colors++ = uint8_t(q >> 16);
    }
    state_.moveToHead(e);
    indexes[i] = uint8_t(e);
  }
  return size_t(colors - stream);
}

bool ImageFilter::decode(const uint8_t* body, size_t bodyLength, size_t count, uint32_t* pixels) {
  if (bodyLength < count) return false;
  PaletteState next = state_;
  const uint8_t* colors = body + count;
  const uint8_t* colorsEnd = body + bodyLength;
  for (size_t i = 0; i < count; ++i) {
    const int32_t e = body[i];
    if (e == next.lruTail) {
      if (colorsEnd - colors < 3) return false;
      next.palette[e] = uint32_t(colors[0]) | uint32_t(colors[1]) << 8 | uint32_t(colors[2]) << 16;
      colors += 3;
    }
    next.moveToHead(e);
    pixels[i] = next.palette[e];
  }
  state_ = next;
  return true;
}

}  // namespace brevan::spatial
