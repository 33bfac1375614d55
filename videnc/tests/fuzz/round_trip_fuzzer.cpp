// Arbitrary frame bytes through an absolute and a relative packet: the
// decoder must rebuild the encoder's reference planes exactly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "decoder/packet_decoder.h"
#include "video_encoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int width = 16 * (1 + data[0] % 3), height = 16 * (1 + (data[0] / 3) % 2);
    const int quant = data[1] % 20;
    std::vector<uint8_t> frame(videnc::frameBytes(width, height));
    videnc::VideoEncoder encoder(width, height);
    videnc::PacketDecoder decoder;
    for (int packet = 0; packet < 3; ++packet) {
        for (size_t i = 0; i < frame.size(); ++i) frame[i] = data[(2 + i + packet * 131) % size];
        const videnc::PacketKind kind = packet == 0 ? videnc::PacketKind::Absolute : videnc::PacketKind::Relative;
        if (!encoder.makePacket(kind, frame.data(), frame.size(), 3000, quant)) std::abort();
        std::vector<uint8_t> bytes(encoder.packetByteLength());
        encoder.copyPacket(bytes.data());
        if (decoder.decode(bytes.data(), static_cast<size_t>(encoder.packetBitLength())) != videnc::DecodeStatus::Ok) std::abort();
        for (int p = 0; p < videnc::kPlaneCount; ++p) {
            if (decoder.planes().plane[p].samples != encoder.reference().plane[p].samples) std::abort();
        }
    }
    return 0;
}
