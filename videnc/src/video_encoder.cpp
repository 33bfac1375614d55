#include "video_encoder.h"

#include "quantiser.h"

namespace brevan::videnc {

VideoEncoder::VideoEncoder(int width, int height)
    : width_(width), height_(height), coder_(width, height) {
  writer_.clear();
}

bool VideoEncoder::makePacket(PacketKind kind, const uint8_t* frame, size_t size, int targetBits,
                              int fixedQuant) {
  if (frame == nullptr || size < frameBytes(width_, height_)) return false;
  if (fixedQuant < 0 || fixedQuant >= kQuantCount) return false;
  if (kind == PacketKind::Relative && needAbsolute_) return false;
  writer_.clear();
  const int quant = rate_.chooseIndex(targetBits, fixedQuant);
  coder_.code(kind, frame, quant, writer_);
  if (fixedQuant == 0) rate_.recordPacket(packetBitLength());
  if (kind == PacketKind::Absolute) needAbsolute_ = false;
  return true;
}

}  // namespace brevan::videnc
