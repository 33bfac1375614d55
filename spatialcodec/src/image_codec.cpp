#include "image_codec.h"

#include <cstring>
#include <memory>
#include <vector>

#include "lz_run_coder.h"

namespace brevan::spatial {
namespace {

// Pixel count of a rectangle that lies wholly inside `length` elements, or -1.
int64_t rectPixels(const PixelRect& r, size_t length) {
  if (r.offset < 0 || r.width < 0 || r.height < 0 || r.scanline < 0) return -1;
  const int64_t limit = int64_t(kMaxStreamPixels);
  if (r.width > limit && r.height > 0) return -1;
  if (r.height > limit && r.width > 0) return -1;
  const int64_t count = r.width * r.height;
  if (count == 0) return 0;
  if (r.scanline > (int64_t(1) << 40) || r.offset > (int64_t(1) << 40)) return -1;
  const uint64_t last = uint64_t(r.offset + (r.height - 1) * r.scanline + r.width - 1);
  return last < length ? count : -1;
}

// Runs `body` on the filter at `index`, or on a throw-away filter when the
// slot is empty. -1 for an index outside the table.
template <typename Body>
int64_t withFilter(FilterTable& table, int index, Body body) {
  if (!FilterTable::validIndex(index)) return kImageFailure;
  if (ImageFilter* filter = table.find(index)) return body(*filter);
  const auto temporary = std::make_unique<ImageFilter>();  // 37 KB: not on the caller's stack
  return body(*temporary);
}

}  // namespace

int64_t encodeImage(FilterTable& table, int index, Buffer<const uint32_t> pixels, PixelRect rect,
                    Buffer<uint8_t> out, int64_t workSize) {
  const int64_t count = rectPixels(rect, pixels.length);
  if (count < 0 || count > int64_t(kMaxStreamPixels)) return kImageFailure;
  if (workSize < int64_t(pixelStreamBound(size_t(count)))) return kImageFailure;

  std::vector<uint32_t> rows(static_cast<size_t>(count));
  for (int64_t k = 0; count > 0 && k < rect.height; ++k) {
    const uint32_t* row = pixels.data + rect.offset + (rect.height - 1 - k) * rect.scanline;
    std::memcpy(rows.data() + k * rect.width, row, size_t(rect.width) * sizeof(uint32_t));
  }
  std::vector<uint8_t> stream(pixelStreamBound(size_t(count)));
  return withFilter(table, index, [&](ImageFilter& filter) -> int64_t {
    const size_t bound = lzCompressBound(stream.size());
    if (out.length >= bound) {
      const size_t length = filter.encode(rows.data(), size_t(count), stream.data());
      return int64_t(lzCompress(stream.data(), length, out.data));
    }
    // `out` may be too small: code aside and keep the filter if it does not fit.
    const ImageFilter before = filter;
    const size_t length = filter.encode(rows.data(), size_t(count), stream.data());
    std::vector<uint8_t> coded(lzCompressBound(length));
    const size_t codedLength = lzCompress(stream.data(), length, coded.data());
    if (codedLength > out.length) {
      filter = before;
      return kImageFailure;
    }
    std::memcpy(out.data, coded.data(), codedLength);
    return int64_t(codedLength);
  });
}

int64_t decodeImage(FilterTable& table, int index, Buffer<const uint8_t> coded, int64_t start,
                    int64_t end, Buffer<uint32_t> pixels, PixelRect rect) {
  if (start < 0 || end < start || uint64_t(end) > coded.length) return kImageFailure;
  const int64_t count = rectPixels(rect, pixels.length);
  if (count < 0 || count > int64_t(kMaxStreamPixels)) return kImageFailure;

  std::vector<uint8_t> stream(pixelStreamBound(size_t(count)));
  size_t length = 0;
  if (lzDecompress(coded.data + start, size_t(end - start), stream.data(), stream.size(), length) !=
          CodecStatus::ok ||
      length < 2 || (stream[0] | size_t(stream[1]) << 8) != size_t(count))
    return kImageFailure;

  std::vector<uint32_t> decoded(static_cast<size_t>(count));
  return withFilter(table, index, [&](ImageFilter& filter) -> int64_t {
    if (!filter.decode(stream.data() + 2, length - 2, size_t(count), decoded.data()))
      return kImageFailure;
    for (int64_t y = 0; count > 0 && y < rect.height; ++y)
      std::memcpy(pixels.data + rect.offset + y * rect.scanline, decoded.data() + y * rect.width,
                  size_t(rect.width) * sizeof(uint32_t));
    return count;
  });
}

}  // namespace brevan::spatial
