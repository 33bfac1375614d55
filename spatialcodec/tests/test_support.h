// Helpers shared by the codec tests: hex vectors, seeded data and real files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "testsupport/bytes.h"

namespace brevan::spatial::testing {

using brevan::testsupport::Bytes;
using brevan::testsupport::hex;

inline Bytes concat(const Bytes& a, const Bytes& b) { return brevan::testsupport::concat({a, b}); }
inline Bytes bytesOf(const std::string& text) { return brevan::testsupport::ascii(text); }

inline Bytes randomBytes(size_t n, uint32_t seed, int alphabet = 256) {
  std::mt19937 rng(seed);
  Bytes out(n);
  for (auto& b : out) b = uint8_t(rng() % alphabet);
  return out;
}

// Up to maxBytes of a file of this machine; empty if it cannot be read.
inline Bytes readFile(const std::string& path, size_t maxBytes) {
  Bytes out;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    out.resize(maxBytes);
    out.resize(std::fread(out.data(), 1, maxBytes, f));
    std::fclose(f);
  }
  return out;
}

}  // namespace brevan::spatial::testing
