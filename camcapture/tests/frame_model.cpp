#include "frame_model.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace brevan::camcapture::test {
namespace {

// Division by 1024 rounding toward minus infinity, by floating point rather than by shifting.
int floorDiv1024(int value) { return int(std::floor(double(value) / 1024.0)); }
int clamp(int v) { return std::min(255, std::max(0, v)); }

struct Source {
  const FrameFormat& format;
  const std::vector<uint8_t>& bytes;
  int w, h;

  int pixelBytes() const { return format.bitsPerPixel == 24 ? 3 : format.bitsPerPixel == 32 ? 4 : 2; }
  // Components of the pixel at (x, y) counted from the top left of the picture.
  std::vector<int> rgbAt(int x, int y) const {
    const size_t at = (size_t(h - 1 - y) * w + x) * pixelBytes();
    if (pixelBytes() == 2) {
      const int word = bytes[at] + 256 * bytes[at + 1];
      return {(word % 32) * 8, (word / 32 % 32) * 8, (word / 1024 % 32) * 8};
    }
    return {bytes[at], bytes[at + 1], bytes[at + 2]};
  }
  int n() const { return w * h; }
  int luma(int x, int y) const { return bytes[size_t(y * w + x)]; }
  int plane(int which, int x, int y) const {  // which 2 or 3, quarter planes
    return bytes[size_t(n() + (which - 2) * (n() / 4) + (y / 2) * (w / 2) + x / 2)];
  }
};

int lumaOf(const std::vector<int>& c) { return floorDiv1024(601 * c[1] + 306 * c[0] + 117 * c[2]); }
int towardX2(const std::vector<int>& c) {
  return (floorDiv1024(512 * c[2] - 339 * c[1] - 173 * c[0]) + 128) & 0xFF;
}
int towardX0(const std::vector<int>& c) {
  return (floorDiv1024(512 * c[0] - 429 * c[1] - 83 * c[2]) + 128) & 0xFF;
}
uint32_t colour(int y, int a, int b) {
  const int low = clamp(y + floorDiv1024((a - 128) * 1441));
  const int mid = clamp(y - floorDiv1024((b - 128) * 354 + (a - 128) * 734));
  const int high = clamp(y + floorDiv1024((b - 128) * 1822));
  return uint32_t(high * 65536 + mid * 256 + low);
}

void putInt(std::vector<uint8_t>& out, size_t index, uint32_t value) {
  std::memcpy(out.data() + index * 4, &value, 4);
}

std::optional<std::vector<uint8_t>> uncompressed(FrameKind kind, const Source& s) {
  const int n = s.n();
  if (s.bytes.size() < size_t(n) * s.pixelBytes()) return std::nullopt;
  std::vector<uint8_t> out;
  for (int y = 0; y < s.h; ++y) {
    for (int x = 0; x < s.w; ++x) {
      const auto c = s.rgbAt(x, y);
      const size_t i = size_t(y * s.w + x);
      switch (kind) {
        case FrameKind::colour:
          out.resize(size_t(n) * 4);
          putInt(out, i, uint32_t(c[2] * 65536 + c[1] * 256 + c[0]));
          break;
        case FrameKind::blackWhite:
          out.resize(size_t(n));
          out[i] = uint8_t((c[0] + c[1] + c[2]) / 3);
          break;
        case FrameKind::yuv:
          out.resize(size_t(n) * 3);
          out[i] = uint8_t(lumaOf(c));
          out[n + i] = uint8_t(towardX2(c));
          out[2 * n + i] = uint8_t(towardX0(c));
          break;
        case FrameKind::yuv22: {
          if (s.w % 2 || s.h % 2) return std::nullopt;
          out.resize(size_t(n) + size_t(n / 2));
          out[i] = uint8_t(lumaOf(c));
          // The block's sample: even column, the block's lower picture row (its first stored).
          const auto sample = s.rgbAt(x / 2 * 2, y / 2 * 2 + 1);
          const size_t q = size_t((y / 2) * (s.w / 2) + x / 2);
          out[n + q] = uint8_t(towardX0(sample));
          out[n + n / 4 + q] = uint8_t(towardX2(sample));
          break;
        }
      }
    }
  }
  return out;
}

std::optional<std::vector<uint8_t>> planar(FrameKind kind, const Source& s) {
  const int n = s.n();
  const bool yv12 = s.format.compression == kYV12;
  const int cxPlane = yv12 ? 3 : 2, czPlane = yv12 ? 2 : 3;
  if (kind == FrameKind::blackWhite) {
    if (s.bytes.size() < size_t(n)) return std::nullopt;
    return std::vector<uint8_t>(s.bytes.begin(), s.bytes.begin() + n);
  }
  if (s.w % 2 || s.h % 2 || s.bytes.size() < size_t(n + n / 2)) return std::nullopt;
  std::vector<uint8_t> out(kind == FrameKind::colour ? size_t(n) * 4
                           : kind == FrameKind::yuv  ? size_t(n) * 3
                                                     : size_t(n + n / 2));
  for (int y = 0; y < s.h; ++y) {
    for (int x = 0; x < s.w; ++x) {
      const size_t i = size_t(y * s.w + x);
      const int cx = s.plane(cxPlane, x, y), cz = s.plane(czPlane, x, y);
      if (kind == FrameKind::colour) {
        putInt(out, i, colour(s.luma(x, y), cx, cz));
      } else if (kind == FrameKind::yuv) {
        out[i] = uint8_t(s.luma(x, y));
        out[n + i] = uint8_t(cx);
        out[2 * n + i] = uint8_t(cz);
      } else {
        out[i] = uint8_t(s.luma(x, y));
        const size_t q = size_t((y / 2) * (s.w / 2) + x / 2);
        out[n + q] = uint8_t(cx);
        out[n + n / 4 + q] = uint8_t(cz);
      }
    }
  }
  return out;
}

std::optional<std::vector<uint8_t>> fullChroma(FrameKind kind, const Source& s) {
  const int n = s.n();
  if (kind != FrameKind::colour || s.bytes.size() < size_t(2 * n + n / 4)) return std::nullopt;
  std::vector<uint8_t> out(size_t(n) * 4);
  for (int i = 0; i < n; ++i)
    putInt(out, size_t(i), colour(s.bytes[i], s.bytes[n + n / 4 + i], s.bytes[n + i]));
  return out;
}

}  // namespace

std::optional<std::vector<uint8_t>> modelConversion(FrameKind kind, const FrameFormat& format,
                                                    const std::vector<uint8_t>& frame) {
  const Source source{format, frame, std::abs(format.width), std::abs(format.height)};
  switch (format.compression) {
    case kUncompressed:
      if (format.bitsPerPixel != 15 && format.bitsPerPixel != 16 && format.bitsPerPixel != 24 &&
          format.bitsPerPixel != 32)
        return std::nullopt;
      return uncompressed(kind, source);
    case kI420:
    case kYV12:
      return planar(kind, source);
    case kFullChroma:
      return fullChroma(kind, source);
    default:
      return std::nullopt;
  }
}

}  // namespace brevan::camcapture::test
