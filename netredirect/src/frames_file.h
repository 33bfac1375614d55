// Frames files of the netreplay tool: a plain sequence of records, each a u32 little-endian
// direction flags, a u32 little-endian length n, then the n bytes of the Ethernet frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brevan::netredirect {

struct FrameRecord {
  uint32_t flags = 0;
  std::vector<uint8_t> bytes;
};

// False (with the reason in `error`) when a record is cut short.
bool parseFramesFile(const std::vector<uint8_t>& file, std::vector<FrameRecord>& records,
                     std::string& error);
std::vector<uint8_t> serializeFramesFile(const std::vector<FrameRecord>& records);

}  // namespace brevan::netredirect
