#include "range_codec.h"

#include <cstring>
#include <vector>

#include "byte_compressor.h"

namespace brevan::spatial {
namespace {

constexpr RangeOutcome kFailed{-1, false};

bool sourceRangeValid(const RangeCall& c) {
  return c.start >= 0 && c.end >= c.start && size_t(c.end) <= c.sourceLength;
}

// Results beyond capacity + (capacity/2 + 100)/2 raise the warning; nothing
// past that threshold is ever produced.
size_t dangerThreshold(int32_t capacity) {
  const int64_t c = capacity;
  return size_t(c + (c / 2 + 100) / 2);
}

using Coder = CodecStatus (*)(const uint8_t*, size_t, size_t, std::vector<uint8_t>&);

RangeOutcome run(const RangeCall& c, Coder coder) {
  if (!sourceRangeValid(c) || c.capacity < 0 || c.offset < 0) return kFailed;
  std::vector<uint8_t> result;
  const CodecStatus status =
      coder(c.source + c.start, size_t(c.end - c.start), dangerThreshold(c.capacity), result);
  if (status == CodecStatus::tooLarge) return {-1, true};
  if (status != CodecStatus::ok || result.size() > size_t(c.capacity)) return kFailed;
  if (size_t(c.offset) > c.destinationLength || result.size() > c.destinationLength - c.offset)
    return kFailed;
  if (!result.empty()) std::memcpy(c.destination + c.offset, result.data(), result.size());
  return {int32_t(result.size()), false};
}

}  // namespace

RangeOutcome encodeRange(const RangeCall& call) {
  if (capacityBelowInput(call.start, call.end, call.capacity)) return kFailed;
  return run(call, compressBytes);
}

RangeOutcome decodeRange(const RangeCall& call) { return run(call, decompressBytes); }

}  // namespace brevan::spatial
