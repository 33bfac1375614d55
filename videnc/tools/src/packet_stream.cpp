#include "packet_stream.h"

namespace brevan::videnc {

bool writeStoredPacket(FILE* file, const StoredPacket& packet) {
  const uint8_t length[4] = {
      static_cast<uint8_t>(packet.bits), static_cast<uint8_t>(packet.bits >> 8),
      static_cast<uint8_t>(packet.bits >> 16), static_cast<uint8_t>(packet.bits >> 24)};
  return std::fwrite(length, 1, 4, file) == 4 &&
         std::fwrite(packet.bytes.data(), 1, packet.bytes.size(), file) == packet.bytes.size();
}

bool readStoredPacket(FILE* file, StoredPacket& packet) {
  uint8_t length[4];
  if (std::fread(length, 1, 4, file) != 4) return false;
  packet.bits = static_cast<uint32_t>(length[0]) | static_cast<uint32_t>(length[1]) << 8 |
                static_cast<uint32_t>(length[2]) << 16 | static_cast<uint32_t>(length[3]) << 24;
  // Bounded by the largest packet a 2040x2040 frame can give.
  if (packet.bits > (1u << 28)) return false;
  packet.bytes.resize((packet.bits + 7) / 8);
  return std::fread(packet.bytes.data(), 1, packet.bytes.size(), file) == packet.bytes.size();
}

}  // namespace brevan::videnc
