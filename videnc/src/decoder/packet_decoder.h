// Rebuilds frames from a stream of video packets, as the viewer does: the
// same reference planes the encoder keeps, from the packet bits alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "planes.h"

namespace brevan::videnc {

enum class DecodeStatus {
  Ok,
  Truncated,     // the packet ended inside a field
  BadCode,       // a prefix that starts no code, or a run past 64 levels
  BadHeader,     // a size of 0, or a relative header whose second bit is 0
  NeedAbsolute,  // a relative packet before any absolute one
};

const char* decodeStatusName(DecodeStatus status);

class PacketDecoder {
 public:
  // data holds (bitLength + 7) / 8 bytes. A packet that fails leaves the
  // planes partly updated; the next absolute packet repairs them.
  DecodeStatus decode(const uint8_t* data, size_t bitLength);

  int width() const { return width_; }
  int height() const { return height_; }
  int lastQuant() const { return quant_; }
  const ReferencePlanes& planes() const { return planes_; }

 private:
  int width_ = 0;
  int height_ = 0;
  int quant_ = 0;
  ReferencePlanes planes_;
};

}  // namespace brevan::videnc
