// Any bytes as a compressed stream must decode or be rejected within the
// limit, exactly as the stages would one after another; the same bytes as
// plain data must round-trip.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "byte_compressor.h"
#include "staged_decompress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using brevan::spatial::CodecStatus;
  // A limit from the first byte, so that every stage's limit gets reached.
  const size_t limit = size > 0 && data[0] < 16 ? size_t(data[0]) * 97 : size_t(1) << 20;
  std::vector<uint8_t> out, staged;
  const CodecStatus s = brevan::spatial::decompressBytes(data, size, limit, out);
  if (s != brevan::spatial::testing::stagedDecompress(data, size, limit, staged)) std::abort();
  if (s == CodecStatus::ok && (out.size() > limit || out != staged)) std::abort();

  std::vector<uint8_t> coded;
  if (brevan::spatial::compressBytes(data, size, 4 * size + 64, coded) != CodecStatus::ok)
    std::abort();
  std::vector<uint8_t> back;
  if (brevan::spatial::decompressBytes(coded.data(), coded.size(), size, back) != CodecStatus::ok ||
      back != std::vector<uint8_t>(data, data + size))
    std::abort();
  return 0;
}
