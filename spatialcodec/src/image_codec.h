// Whole-rectangle image coding: the palette filter followed by the LZ run
// coder, with every count, offset and size checked before anything is read
// or written. Shared by the JNI and the plain exports.
#pragma once

#include <cstddef>
#include <cstdint>

#include "filter_table.h"

namespace brevan::spatial {

constexpr int kImageFailure = -1;

// pixels[offset + y*scanline + x] for 0 <= x < width, 0 <= y < height.
struct PixelRect {
  int64_t offset;
  int64_t width;
  int64_t height;
  int64_t scanline;
};

// A caller's buffer; `length` is SIZE_MAX when the caller cannot say.
template <typename T>
struct Buffer {
  T* data;
  size_t length;
};

// Codes the rectangle, last row first, with the filter at `index` (an empty
// slot codes with a fresh filter that is then dropped) into out[0..]. Returns
// the coded length, or kImageFailure (the filter unchanged) for an index
// outside the table, a rectangle outside `pixels` or of 65,536 pixels or more,
// a workSize below 2 + 4*pixels, or an `out` too small for the result.
int64_t encodeImage(FilterTable& table, int index, Buffer<const uint32_t> pixels, PixelRect rect,
                    Buffer<uint8_t> out, int64_t workSize);

// Decodes coded[start..end) into the rectangle, first row first. Returns
// width*height, or kImageFailure (the filter and the pixels unchanged) for an
// index outside the table, a range or rectangle outside the buffers, or a
// stream that is malformed or does not hold exactly width*height pixels.
int64_t decodeImage(FilterTable& table, int index, Buffer<const uint8_t> coded, int64_t start,
                    int64_t end, Buffer<uint32_t> pixels, PixelRect rect);

}  // namespace brevan::spatial
