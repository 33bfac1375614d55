// Any bytes as an LZ-coded stream stay within the target; as plain data they
// round-trip.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "lz_run_coder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> target(size * 4 + 16);
  size_t written = 0;
  brevan::spatial::lzDecompress(data, size, target.data(), target.size(), written);
  if (written > target.size()) std::abort();

  std::vector<uint8_t> coded(brevan::spatial::lzCompressBound(size));
  coded.resize(brevan::spatial::lzCompress(data, size, coded.data()));
  std::vector<uint8_t> back(size);
  if (brevan::spatial::lzDecompress(coded.data(), coded.size(), back.data(), back.size(),
                                    written) != brevan::spatial::CodecStatus::ok ||
      written != size || back != std::vector<uint8_t>(data, data + size))
    std::abort();
  return 0;
}
