// Arbitrary frame bytes through an absolute packet and relative ones, the
// frame changing or repeating and the index moving as the input says: the
// decoder must rebuild the encoder's reference planes exactly, and a coder
// that skips repeated blocks must send what coding them sends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "bit_writer.h"
#include "decoder/packet_decoder.h"
#include "frame_coder.h"
#include "video_encoder.h"

namespace {

void sameCoding(brevan::videnc::FrameCoder& reusing, brevan::videnc::FrameCoder& coding,
                brevan::videnc::PacketKind kind, const uint8_t* frame, int quant) {
  brevan::videnc::BitWriter a, b;
  reusing.code(kind, frame, quant, a);
  coding.code(kind, frame, quant, b);
  if (a.bytes() != b.bytes()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  const int width = 16 * (1 + data[0] % 3), height = 16 * (1 + (data[0] / 3) % 2);
  std::vector<uint8_t> frame(brevan::videnc::frameBytes(width, height));
  brevan::videnc::VideoEncoder encoder(width, height);
  brevan::videnc::PacketDecoder decoder;
  brevan::videnc::FrameCoder reusing(width, height), coding(width, height);
  coding.setStillBlockReuse(false);
  for (int packet = 0; packet < 6; ++packet) {
    // Byte 1 + packet: the index (low five bits, modulo 20) and whether
    // the frame changes (bit 5; the first frame always does).
    const uint8_t control = data[1 + packet];
    const int quant = (control & 31) % 20;
    if (packet == 0 || (control & 32) != 0) {
      for (size_t i = 0; i < frame.size(); ++i) frame[i] = data[(7 + i + packet * 131) % size];
    }
    const brevan::videnc::PacketKind kind =
        packet == 0 ? brevan::videnc::PacketKind::Absolute : brevan::videnc::PacketKind::Relative;
    if (!encoder.makePacket(kind, frame.data(), frame.size(), 3000, quant)) std::abort();
    std::vector<uint8_t> bytes(encoder.packetByteLength());
    encoder.copyPacket(bytes.data());
    if (decoder.decode(bytes.data(), static_cast<size_t>(encoder.packetBitLength())) !=
        brevan::videnc::DecodeStatus::Ok)
      std::abort();
    for (int p = 0; p < brevan::videnc::kPlaneCount; ++p) {
      if (decoder.planes().plane[p].samples != encoder.reference().plane[p].samples) std::abort();
    }
    sameCoding(reusing, coding, kind, frame.data(), quant);
  }
  return 0;
}
