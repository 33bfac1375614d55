// One encoder: frame coder, rate control and the last packet's bits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bit_writer.h"
#include "frame_coder.h"
#include "rate_control.h"

namespace brevan::videnc {

class VideoEncoder {
 public:
  // width and height must satisfy validFrameSize.
  VideoEncoder(int width, int height);

  // Codes frame (at least frameBytes(width, height) bytes) as a packet.
  // fixedQuant 0 picks the index automatically, 1..19 fixes it. False,
  // with nothing changed, for a short frame, a fixedQuant outside 0..19,
  // or a relative packet before the first absolute one.
  bool makePacket(PacketKind kind, const uint8_t* frame, size_t size, int targetBits,
                  int fixedQuant);

  int packetBitLength() const { return static_cast<int>(writer_.bitLength()); }
  size_t packetByteLength() const { return writer_.byteLength(); }
  void copyPacket(uint8_t* out) const { writer_.copyBytes(out); }

  RateControl& rateControl() { return rate_; }
  const RateControl& rateControl() const { return rate_; }
  const ReferencePlanes& reference() const { return coder_.reference(); }
  bool needAbsolute() const { return needAbsolute_; }

  // Slot of the attached image data source, -1 for none. Kept as a slot
  // number so a deleted source never leaves a dangling pointer.
  void setImageDataSource(int slot) { source_ = slot; }

 private:
  int width_;
  int height_;
  RateControl rate_;
  FrameCoder coder_;
  BitWriter writer_;
  int source_ = -1;
  bool needAbsolute_ = true;
};

}  // namespace brevan::videnc
