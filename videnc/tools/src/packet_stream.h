// A file of video packets as the tools exchange them: per packet its bit
// length (32-bit little-endian), then (bits + 7) / 8 bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace brevan::videnc {

struct StoredPacket {
  uint32_t bits = 0;
  std::vector<uint8_t> bytes;
};

bool writeStoredPacket(FILE* file, const StoredPacket& packet);
// False at the end of the file or on a record cut short.
bool readStoredPacket(FILE* file, StoredPacket& packet);

}  // namespace brevan::videnc
