// A coded image from outside, with rectangle and filter taken from the first
// bytes: decoding must fail cleanly or fill exactly the rectangle.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "filter_table.h"
#include "image_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  static brevan::spatial::FilterTable table;
  if (table.find(0) == nullptr) table.acquire();
  const int64_t width = data[0] % 40;
  const int64_t height = data[1] % 40;
  const int64_t scanline = width + data[2] % 3;
  const int index = data[3] % 12 - 1;  // includes invalid indexes
  if (data[3] % 50 == 0) table.reset(0);

  const uint32_t kGuard = 0xA5A5A5A5;
  std::vector<uint32_t> pixels(size_t(scanline * height + 8), kGuard);
  const int64_t n = brevan::spatial::decodeImage(
      table, index, {data + 4, size - 4}, 0, int64_t(size - 4), {pixels.data(), pixels.size() - 8},
      {0, width, height, scanline});
  if (n != brevan::spatial::kImageFailure && n != width * height) std::abort();
  for (size_t i = pixels.size() - 8; i < pixels.size(); ++i)
    if (pixels[i] != kGuard) std::abort();

  // The same bytes as pixels must code and decode with a fresh pair of filters.
  const size_t count = (size - 4) / 4;
  if (count > 0 && count < 4000) {
    std::vector<uint32_t> px(count);
    for (size_t i = 0; i < count; ++i)
      px[i] = uint32_t(data[4 + 4 * i]) | uint32_t(data[5 + 4 * i]) << 8 |
              uint32_t(data[6 + 4 * i]) << 16;
    std::vector<uint8_t> coded(8 * count + 16);
    brevan::spatial::FilterTable pair;
    const int64_t length = brevan::spatial::encodeImage(
        pair, 3, {px.data(), count}, {0, int64_t(count), 1, int64_t(count)},
        {coded.data(), coded.size()}, int64_t(2 + 4 * count));
    std::vector<uint32_t> back(count);
    if (length < 0 || brevan::spatial::decodeImage(
                          pair, 5, {coded.data(), size_t(length)}, 0, length, {back.data(), count},
                          {0, int64_t(count), 1, int64_t(count)}) != int64_t(count))
      std::abort();
  }
  return 0;
}
