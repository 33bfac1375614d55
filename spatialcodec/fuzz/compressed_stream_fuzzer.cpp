// Any bytes as a compressed stream must decode or be rejected within the
// limit; the same bytes as plain data must round-trip.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "byte_compressor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kLimit = 1 << 20;
  std::vector<uint8_t> out;
  if (brevan::spatial::decompressBytes(data, size, kLimit, out) ==
          brevan::spatial::CodecStatus::ok &&
      out.size() > kLimit)
    std::abort();

  std::vector<uint8_t> coded;
  if (brevan::spatial::compressBytes(data, size, 4 * size + 64, coded) !=
      brevan::spatial::CodecStatus::ok)
    std::abort();
  std::vector<uint8_t> back;
  if (brevan::spatial::decompressBytes(coded.data(), coded.size(), size, back) !=
          brevan::spatial::CodecStatus::ok ||
      back != std::vector<uint8_t>(data, data + size))
    std::abort();
  return 0;
}
