#include "decoder/packet_decoder.h"

#include "bit_reader.h"
#include "coeff_table.h"
#include "quantiser.h"
#include "reconstruction.h"

namespace brevan::videnc {
namespace {

// Reads one block's coded bit and coefficients into levels (natural order),
// adding the DC prediction back.
DecodeStatus readBlock(BitReader& in, int32_t* levels, int32_t& dcPrediction) {
  for (int i = 0; i < 64; ++i) levels[i] = 0;
  if (in.read(1) != 0) {
    const DecodeEntry* table = coeffDecodeTable();
    int position = 0;
    for (;;) {
      const DecodeEntry& e = table[in.peek(kMaxCodeBits)];
      if (e.length == 0)
        return in.remaining() < kMaxCodeBits ? DecodeStatus::Truncated : DecodeStatus::BadCode;
      in.skip(e.length);
      uint32_t last = e.last, run = e.run, magnitude = e.level;
      if (magnitude == 0) {
        last = in.read(kEscapeLastBits);
        run = in.read(kEscapeRunBits);
        magnitude = in.read(kEscapeLevelBits);
      }
      const bool positive = in.read(1) != 0;
      if (in.failed()) return DecodeStatus::Truncated;
      position += static_cast<int>(run);
      if (position > 63 || magnitude == 0) return DecodeStatus::BadCode;
      levels[kZigzag[position++]] =
          positive ? static_cast<int32_t>(magnitude) : -static_cast<int32_t>(magnitude);
      if (last != 0) break;
    }
  }
  if (in.failed()) return DecodeStatus::Truncated;
  levels[0] =
      static_cast<int32_t>(static_cast<uint32_t>(levels[0]) + static_cast<uint32_t>(dcPrediction));
  dcPrediction = levels[0];
  return DecodeStatus::Ok;
}

DecodeStatus decodePlane(BitReader& in, bool relative, const QuantSteps& steps, Plane& plane) {
  int32_t levels[64];
  int32_t dcPrediction = 0;
  for (int by = 0; by < plane.height / 8; ++by) {
    for (int bx = 0; bx < plane.width / 8; ++bx) {
      const bool intra = !relative || in.read(1) != 0;
      const DecodeStatus status = readBlock(in, levels, dcPrediction);
      if (status != DecodeStatus::Ok) return status;
      updateReference(intra, levels, steps, plane.blockAt(bx, by), plane.width);
    }
  }
  return DecodeStatus::Ok;
}

}  // namespace

const char* decodeStatusName(DecodeStatus status) {
  switch (status) {
    case DecodeStatus::Ok:
      return "ok";
    case DecodeStatus::Truncated:
      return "truncated";
    case DecodeStatus::BadCode:
      return "bad code";
    case DecodeStatus::BadHeader:
      return "bad header";
    case DecodeStatus::NeedAbsolute:
      return "relative packet before an absolute one";
  }
  return "?";
}

DecodeStatus PacketDecoder::decode(const uint8_t* data, size_t bitLength) {
  BitReader in(data, bitLength);
  const bool absolute = in.read(1) != 0;
  if (absolute) {
    const int width = static_cast<int>(in.read(8)) * 8;
    const int height = static_cast<int>(in.read(8)) * 8;
    if (in.failed()) return DecodeStatus::Truncated;
    if (width == 0 || height == 0 || width % 16 != 0 || height % 16 != 0)
      return DecodeStatus::BadHeader;
    if (width != width_ || height != height_) planes_.reset(width, height);
    width_ = width;
    height_ = height;
  } else {
    if (in.read(1) != 1) return in.failed() ? DecodeStatus::Truncated : DecodeStatus::BadHeader;
    if (width_ == 0) return DecodeStatus::NeedAbsolute;
  }
  const uint32_t quant = in.read(5);
  if (in.failed()) return DecodeStatus::Truncated;
  if (quant >= kQuantCount) return DecodeStatus::BadHeader;
  quant_ = static_cast<int>(quant);
  const QuantSteps steps(quant_);
  for (Plane& plane : planes_.plane) {
    const DecodeStatus status = decodePlane(in, !absolute, steps, plane);
    if (status != DecodeStatus::Ok) return status;
  }
  return DecodeStatus::Ok;
}

}  // namespace brevan::videnc
