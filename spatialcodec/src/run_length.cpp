#include "run_length.h"

namespace spatial {

size_t runLengthBound(size_t n) { return n + n / 2 + 2; }

bool runLengthEncode(const uint8_t* in, size_t n, ByteWriter& out) {
  // The previous byte starts at 0, so an input that starts with 0 begins a run.
  uint8_t prev = 0;
  size_t i = 0;
  while (i < n) {
    const uint8_t c = in[i++];
    if (!out.put(c)) return false;
    if (c != prev) {
      prev = c;
      continue;
    }
    size_t count = 0;
    while (count < 255 && i < n && in[i] == c) {
      ++count;
      ++i;
    }
    if (!out.put(static_cast<uint8_t>(count))) return false;
    if (count < 255 && i < n) {
      // The byte that stopped the run is copied straight away.
      prev = in[i++];
      if (!out.put(prev)) return false;
    }
  }
  return true;
}

CodecStatus runLengthDecode(const uint8_t* in, size_t n, ByteWriter& out) {
  uint8_t prev = 0;
  size_t i = 0;
  while (i < n) {
    const uint8_t c = in[i++];
    if (!out.put(c)) return CodecStatus::tooLarge;
    if (c == prev) {
      if (i == n) return CodecStatus::badInput;
      if (!out.putRepeated(c, in[i++])) return CodecStatus::tooLarge;
    }
    prev = c;
  }
  return CodecStatus::ok;
}

}  // namespace spatial
