#include "frames_file.h"

namespace brevan::netredirect {
namespace {

uint32_t readLe32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
void appendLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

}  // namespace

bool parseFramesFile(const std::vector<uint8_t>& file, std::vector<FrameRecord>& records,
                     std::string& error) {
  size_t pos = 0;
  while (pos < file.size()) {
    if (file.size() - pos < 8) {
      error = "record " + std::to_string(records.size() + 1) + ": header cut short";
      return false;
    }
    FrameRecord record;
    record.flags = readLe32(&file[pos]);
    const uint32_t length = readLe32(&file[pos + 4]);
    pos += 8;
    if (file.size() - pos < length) {
      error = "record " + std::to_string(records.size() + 1) + ": frame cut short";
      return false;
    }
    record.bytes.assign(file.begin() + long(pos), file.begin() + long(pos + length));
    pos += length;
    records.push_back(std::move(record));
  }
  return true;
}

std::vector<uint8_t> serializeFramesFile(const std::vector<FrameRecord>& records) {
  std::vector<uint8_t> out;
  for (const FrameRecord& record : records) {
    appendLe32(out, record.flags);
    appendLe32(out, uint32_t(record.bytes.size()));
    out.insert(out.end(), record.bytes.begin(), record.bytes.end());
  }
  return out;
}

}  // namespace brevan::netredirect
