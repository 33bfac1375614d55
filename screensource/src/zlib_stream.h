// zlib streams kept for many images. Setting up a stream costs about 256 KiB of state; a packet
// of a full screen holds hundreds of images, so each end sets its stream up once and resets it
// per image. The bytes are those of one compress2 / uncompress call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace brevan::screensource {

class Deflater {
 public:
  // zlib's defaults beside the level: 15-bit window, memory level 8, default strategy, with the
  // zlib header and Adler-32 trailer, as compress2 makes them.
  explicit Deflater(int level);
  ~Deflater();
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  // Compresses `in` whole into `out` (resized to fit zlib's worst case); false on failure.
  bool compress(const uint8_t* in, size_t inSize, std::vector<uint8_t>& out, size_t& outSize);

 private:
  struct Stream;
  std::unique_ptr<Stream> stream_;
};

class ExactInflater {
 public:
  ExactInflater();
  ~ExactInflater();
  ExactInflater(const ExactInflater&) = delete;
  ExactInflater& operator=(const ExactInflater&) = delete;

  // True when `in` is exactly one complete zlib stream (no bytes after it) that inflates to
  // exactly `outSize` bytes; `out` then holds them. Nothing beyond `outSize` is ever written.
  bool inflate(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize);

 private:
  struct Stream;
  std::unique_ptr<Stream> stream_;
};

}  // namespace brevan::screensource
