// The byte-range compressor as the Java side calls it: source[start..end) to
// destination[offset..offset+capacity), with the capacity rules and the
// "Dangerous size" threshold of the exports. Bad ranges and bad streams give -1.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brevan::spatial {

struct RangeOutcome {
  int32_t result;      // bytes placed from the destination offset on, or -1
  bool dangerousSize;  // show the warning (after the arrays are released)
};

struct RangeCall {
  const uint8_t* source;
  size_t sourceLength;
  int32_t start;
  int32_t end;
  uint8_t* destination;
  size_t destinationLength;
  int32_t offset;
  int32_t capacity;
};

// Encoding refuses at once when the capacity is below the input's length.
inline bool capacityBelowInput(int32_t start, int32_t end, int32_t capacity) {
  return int64_t(capacity) < int64_t(end) - start;
}

RangeOutcome encodeRange(const RangeCall& call);
RangeOutcome decodeRange(const RangeCall& call);

}  // namespace brevan::spatial
