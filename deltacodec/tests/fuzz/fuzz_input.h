// Splits a fuzz input into two byte strings and runs delta operations over memory.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "buffered_reader.h"
#include "buffered_writer.h"
#include "delta_error.h"
#include "delta_operations.h"

namespace brevan::delta::fuzz {

using Bytes = std::vector<uint8_t>;
using Operation = void (*)(brevan::delta::BufferedReader&, brevan::delta::BufferedReader&,
                           brevan::delta::BufferedWriter&);

// The first byte sets how many of the following bytes form the first part.
inline void split(const uint8_t* data, size_t size, Bytes& first, Bytes& second) {
  if (size == 0) return;
  size_t n = data[0] * 8u;
  if (n > size - 1) n = size - 1;
  first.assign(data + 1, data + 1 + n);
  second.assign(data + 1 + n, data + size);
}

// Runs op; false when it refused its input. A refusal is fine; a crash or a wrong count is not.
inline bool run(Operation op, const Bytes& a, const Bytes& b, Bytes& out) {
  brevan::delta::MemorySource first(a), second(b);
  brevan::delta::MemorySink sink;
  brevan::delta::BufferedReader firstReader(first), secondReader(second);
  brevan::delta::BufferedWriter writer(sink);
  try {
    op(firstReader, secondReader, writer);
    writer.finish();
  } catch (const brevan::delta::DeltaError&) {
    return false;
  }
  if (writer.count() != static_cast<int64_t>(sink.bytes.size())) std::abort();
  out = std::move(sink.bytes);
  return true;
}

inline void applyQuietly(brevan::delta::BufferedReader& base, brevan::delta::BufferedReader& delta,
                         brevan::delta::BufferedWriter& out) {
  brevan::delta::applyDelta(base, delta, out, nullptr);
}

}  // namespace brevan::delta::fuzz
