#include "imageio/png_io.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace brevan::imageio {
namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

uint32_t readBe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}

void appendBe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void appendChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  appendBe32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
  appendBe32(out, static_cast<uint32_t>(crc));
}

int paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Undoes the per-row filters in place; rows are 1 filter byte + stride bytes.
bool unfilter(std::vector<uint8_t>& data, int height, size_t stride, int bpp,
              std::vector<uint8_t>& out) {
  out.assign(stride * static_cast<size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t filter = data[static_cast<size_t>(y) * (stride + 1)];
    const uint8_t* in = &data[static_cast<size_t>(y) * (stride + 1) + 1];
    uint8_t* row = &out[static_cast<size_t>(y) * stride];
    const uint8_t* up = y > 0 ? row - stride : nullptr;
    for (size_t x = 0; x < stride; ++x) {
      const int a = x >= static_cast<size_t>(bpp) ? row[x - bpp] : 0;
      const int b = up ? up[x] : 0;
      const int c = up && x >= static_cast<size_t>(bpp) ? up[x - bpp] : 0;
      int predictor;
      switch (filter) {
        case 0:
          predictor = 0;
          break;
        case 1:
          predictor = a;
          break;
        case 2:
          predictor = b;
          break;
        case 3:
          predictor = (a + b) / 2;
          break;
        case 4:
          predictor = paeth(a, b, c);
          break;
        default:
          return false;
      }
      row[x] = static_cast<uint8_t>(in[x] + predictor);
    }
  }
  return true;
}

}  // namespace

bool readPng(const std::string& path, RgbImage& image, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
  if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 8) != 0) {
    error = "not a PNG file";
    return false;
  }
  int width = 0, height = 0, channels = 0;
  std::vector<uint8_t> compressed;
  for (size_t pos = 8; pos + 12 <= bytes.size();) {
    const uint32_t length = readBe32(&bytes[pos]);
    if (length > bytes.size() - pos - 12) break;
    const char* type = reinterpret_cast<const char*>(&bytes[pos + 4]);
    const uint8_t* data = &bytes[pos + 8];
    if (std::memcmp(type, "IHDR", 4) == 0 && length >= 13) {
      width = static_cast<int>(readBe32(data));
      height = static_cast<int>(readBe32(data + 4));
      const int colour = data[9];
      channels = colour == 0 ? 1 : colour == 2 ? 3 : colour == 6 ? 4 : 0;
      if (data[8] != 8 || channels == 0 || data[12] != 0) {
        error = "unsupported PNG layout";
        return false;
      }
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      compressed.insert(compressed.end(), data, data + length);
    }
    pos += 12 + length;
  }
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
    error = "bad PNG size";
    return false;
  }
  const size_t stride = static_cast<size_t>(width) * channels;
  std::vector<uint8_t> raw((stride + 1) * static_cast<size_t>(height));
  uLongf rawSize = static_cast<uLongf>(raw.size());
  if (uncompress(raw.data(), &rawSize, compressed.data(), static_cast<uLong>(compressed.size())) !=
          Z_OK ||
      rawSize != raw.size()) {
    error = "bad PNG data";
    return false;
  }
  std::vector<uint8_t> pixels;
  if (!unfilter(raw, height, stride, channels, pixels)) {
    error = "bad PNG filter";
    return false;
  }
  image.width = width;
  image.height = height;
  image.rgb.resize(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    for (int c = 0; c < 3; ++c)
      image.rgb[3 * i + c] = pixels[i * channels + (channels == 1 ? 0 : c)];
  }
  return true;
}

bool writePng(const std::string& path, const RgbImage& image) {
  const size_t stride = static_cast<size_t>(image.width) * 3;
  std::vector<uint8_t> raw;
  raw.reserve((stride + 1) * static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), image.rgb.begin() + static_cast<long>(y * stride),
               image.rgb.begin() + static_cast<long>((y + 1) * stride));
  }
  std::vector<uint8_t> compressed(compressBound(static_cast<uLong>(raw.size())));
  uLongf compressedSize = static_cast<uLongf>(compressed.size());
  if (compress2(compressed.data(), &compressedSize, raw.data(), static_cast<uLong>(raw.size()),
                6) != Z_OK)
    return false;
  compressed.resize(compressedSize);

  std::vector<uint8_t> out(kSignature, kSignature + 8);
  std::vector<uint8_t> header;
  appendBe32(header, static_cast<uint32_t>(image.width));
  appendBe32(header, static_cast<uint32_t>(image.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});
  appendChunk(out, "IHDR", header);
  appendChunk(out, "IDAT", compressed);
  appendChunk(out, "IEND", {});
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(file);
}

}  // namespace brevan::imageio
