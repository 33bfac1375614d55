#include "zlib_stream.h"

#include <zlib.h>

#include <limits>

namespace brevan::screensource {

struct Deflater::Stream {
  z_stream z{};
  bool ready = false;
};

Deflater::Deflater(int level) : stream_(std::make_unique<Stream>()) {
  stream_->ready = deflateInit(&stream_->z, level) == Z_OK;
}

Deflater::~Deflater() {
  if (stream_->ready) deflateEnd(&stream_->z);
}

bool Deflater::compress(const uint8_t* in, size_t inSize, std::vector<uint8_t>& out,
                        size_t& outSize) {
  outSize = 0;
  if (!stream_->ready || inSize > std::numeric_limits<uInt>::max() / 2) return false;
  z_stream& z = stream_->z;
  out.resize(deflateBound(&z, static_cast<uLong>(inSize)));
  if (deflateReset(&z) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(in);
  z.avail_in = static_cast<uInt>(inSize);
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) return false;
  outSize = out.size() - z.avail_out;
  return true;
}

struct ExactInflater::Stream {
  z_stream z{};
  bool ready = false;
};

ExactInflater::ExactInflater() : stream_(std::make_unique<Stream>()) {
  stream_->ready = inflateInit(&stream_->z) == Z_OK;
}

ExactInflater::~ExactInflater() {
  if (stream_->ready) inflateEnd(&stream_->z);
}

bool ExactInflater::inflate(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
  constexpr size_t kLimit = std::numeric_limits<uInt>::max();
  if (!stream_->ready || inSize > kLimit || outSize > kLimit) return false;
  z_stream& z = stream_->z;
  if (inflateReset(&z) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(in);
  z.avail_in = static_cast<uInt>(inSize);
  z.next_out = out;
  z.avail_out = static_cast<uInt>(outSize);
  // One call with the whole output space: Z_STREAM_END only when the stream ended, checksum
  // included, within that space.
  return ::inflate(&z, Z_FINISH) == Z_STREAM_END && z.avail_in == 0 && z.avail_out == 0;
}

}  // namespace brevan::screensource
