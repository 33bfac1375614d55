// One frame held as three 32-bit planes, filled from 4:2:0 bytes or a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brevan::videnc {

class ImageDataSource {
 public:
  // Sizes up to kMaxSide a side; both at least 1.
  static constexpr int kMaxSide = 8192;
  static bool validSize(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
  }

  ImageDataSource(int width, int height);

  // Bytes the planes take: width*height luma, then two (width/2)*(height/2) chroma planes.
  size_t planeBytes() const;
  // Bytes read from a file: width*height + (2*width*height)/4.
  size_t fileBytes() const;

  // Copies luma as 0..255 and chroma as byte - 128. Needs planeBytes() bytes.
  bool update(const uint8_t* frame, size_t size);

  enum class LoadResult { Ok, NotFound, TooShort };
  // A file shorter than fileBytes() leaves the planes unchanged.
  LoadResult loadFile(const std::string& path);

  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<int32_t>& luma() const { return y_; }
  const std::vector<int32_t>& chromaU() const { return u_; }
  const std::vector<int32_t>& chromaV() const { return v_; }

 private:
  int width_;
  int height_;
  std::vector<int32_t> y_, u_, v_;
};

// Expands a caller's printf-style file name format with one number. Only
// literal text, "%%" and at most one integer conversion (flags, width up
// to 2 digits, precision up to 2 digits, then d, i, u, x, X or o) are
// accepted; anything else gives false, as does a name longer than
// kMaxFileName characters.
constexpr size_t kMaxFileName = 1024;
bool formatFileName(const std::string& format, int number, std::string& name);

}  // namespace brevan::videnc
