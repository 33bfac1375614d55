// What a grabbed frame is (its format as the capture driver reports it) and the four layouts the
// Java side asks for.
#pragma once

#include <cstdint>

namespace brevan::camcapture {

// Compression codes of the formats the conversions read; four-character codes are little-endian.
constexpr uint32_t kUncompressed = 0;
constexpr uint32_t kI420 = 0x30323449;  // "I420": luma, then the two quarter planes U, V
constexpr uint32_t kYV12 = 0x32315659;  // "YV12": luma, then V, then U
constexpr uint32_t kFullChroma = 0x33333333;  // luma with full-resolution chroma bytes

// The destination layout; the numbers are the conversion kinds the grab methods hand over.
enum class FrameKind : int {
  colour = 1,      // one int per pixel, 0x00RRGGBB
  blackWhite = 2,  // one byte per pixel
  yuv = 3,         // three full-size byte planes
  yuv22 = 4,       // luma plus two quarter-size chroma planes
};

struct FrameFormat {
  uint32_t compression = kUncompressed;
  int bitsPerPixel = 0;
  int32_t width = 0;   // as the driver gives it; the absolute value counts
  int32_t height = 0;  // negative for frames stored top down; the absolute value counts
};

}  // namespace brevan::camcapture
